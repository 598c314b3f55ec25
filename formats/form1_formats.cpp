// Form1's handlers that open the windows of the file formats.
#include "form1.h"

#include "form5.h"

namespace mirolt::app {

// Modeless and without an owner: the main window stays usable while the dialog is up.
void Form1::JPEGSave_Click() {
    forms::Form5.Show();
}

} // namespace mirolt::app
