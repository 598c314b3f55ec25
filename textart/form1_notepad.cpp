// Form1's settings menu items that open the Notepad and the text-editor settings.
#include "form1.h"

#include "form10.h"
#include "form7.h"

namespace mirolt::app {

void Form1::MTextEditerSettei_Click() {
    forms::Form10.Show();
}

void Form1::TrueMemoSettei_Click() {
    forms::Form7.Show();
}

// The submenu that holds the Notepad items does nothing of its own.
void Form1::MemoSettei_Click() {}

} // namespace mirolt::app
