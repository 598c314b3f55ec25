#pragma once
// The run button ("実行") of the colour-balance and brightness dialogs.
#include "form1.h"
#include "pixel_frame.h"

namespace mirolt::filters {

// Disables the button, hides the dialog, runs the operation on the main window, then shows
// the result view and enables the result menus, finished or cancelled alike. The dialog's
// bars keep their values. `run` reads the bars and calls the main window's operation.
template <class Dialog, class Run>
void RunFromDialog(platform::FormInstance<Dialog> &instance, Dialog &dialog, Run run) {
    app::Form1 &main = forms::Form1.Get();
    if (!PixelFrameAccepts(main)) return; // nothing changes; the dialog stays open
    dialog.Command1.SetEnabled(false);
    dialog.Hide();
    run(main);
    main.Picture3.SetVisible(true);
    for (platform::MenuItem *m : {&main.Idou, &main.Copy, &main.Save, &main.JPEGSave})
        m->SetEnabled(true);
    // Closed by its title bar during the run's yields, the dialog is gone: a later opening
    // creates it afresh with the button enabled, so only a dialog still loaded needs it.
    if (instance.IsLoaded() && &instance.Get() == &dialog) dialog.Command1.SetEnabled(true);
}

} // namespace mirolt::filters
