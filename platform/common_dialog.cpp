#include "common_dialog.h"

#include "prompts.h"
#include "vb_error.h"

namespace mirolt::platform {

void CommonDialog::Show(bool save) {
    FileDialogRequest request;
    request.save = save;
    request.filter = Filter;
    request.filterIndex = FilterIndex;
    request.fileName = FileName;
    request.title = DialogTitle;
    request.initDir = InitDir;
    request.flags = Flags;
    if (auto chosen = CurrentPrompts().FileDialog(request)) {
        FileName = chosen->fileName;
        FilterIndex = chosen->filterIndex;
        return;
    }
    if (CancelError) throw RuntimeError(kDialogCancelled);
}

} // namespace mirolt::platform
