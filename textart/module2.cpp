#include "module2.h"

#include "errors.h"
#include "fonts.h"
#include "form10.h"
#include "form7.h"

namespace mirolt::app::Module2 {

int CALLBACK EnumFontsProc(const LOGFONTA *lplf, const TEXTMETRICA * /*lptm*/, DWORD /*dwType*/,
                           LPARAM /*lpData*/) {
    platform::RunGuarded([lplf] {
        const std::wstring name = platform::FaceName(*lplf);
        forms::Form7->Combo1.AddItem(name);
        forms::Form7->Combo2.AddItem(name);
        forms::Form10->Combo1.AddItem(name);
    });
    return 1;
}

} // namespace mirolt::app::Module2
