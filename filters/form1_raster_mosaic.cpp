// Form1's menu items that open the raster-operation filter and the mosaic dialog.
#include "form1.h"

#include "form11.h"
#include "form12.h"

namespace mirolt::app {

void Form1::Sonoiti_Click() {
    forms::Form11.Show();
}
void Form1::Mozaiku_Click() {
    forms::Form12.Show();
}

} // namespace mirolt::app
