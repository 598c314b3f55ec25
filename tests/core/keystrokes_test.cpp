#include "keystrokes.h"
#include "vb_error.h"

#include <gtest/gtest.h>

using namespace mirolt;

namespace {

// A compact picture of the keystrokes: characters as themselves, keys as <Name*count>,
// modifiers as [+ ... +] (^ Ctrl, % Alt).
std::wstring Show(const std::vector<Keystroke> &keys) {
    static const wchar_t *names[] = {
        L"Backspace", L"Break", L"CapsLock", L"Delete", L"Down",   L"End",     L"Enter",
        L"Escape",    L"Help",  L"Home",     L"Insert", L"Left",   L"NumLock", L"PageDown",
        L"PageUp",    L"PrtSc", L"Right",    L"Scroll", L"Tab",    L"Up",      L"F1",
        L"F2",        L"F3",    L"F4",       L"F5",     L"F6",     L"F7",      L"F8",
        L"F9",        L"F10",   L"F11",      L"F12",    L"F13",    L"F14",     L"F15",
        L"F16",       L"Add",   L"Subtract", L"Mul",    L"Divide", L"+",       L"^",
        L"%"};
    std::wstring out;
    for (const Keystroke &k : keys) {
        const std::wstring times = k.count == 1 ? L"" : L"*" + std::to_wstring(k.count);
        switch (k.kind) {
        case Keystroke::Kind::Character:
            out += k.character + times;
            break;
        case Keystroke::Kind::Press:
            out += L"<" + std::wstring(names[int(k.key)]) + times + L">";
            break;
        case Keystroke::Kind::Hold:
            out += L"[" + std::wstring(names[int(k.key)]);
            break;
        case Keystroke::Kind::Release:
            out += std::wstring(names[int(k.key)]) + L"]";
            break;
        }
    }
    return out;
}

} // namespace

TEST(Keystrokes, ClassicSyntax) {
    const struct {
        const wchar_t *text, *keys;
    } cases[] = {
        {L"ab 文字", L"ab 文字"},
        {L"%(E)", L"[%E%]"},
        {L"{Down 8}{Enter}{tab}", L"<Down*8><Enter><Tab>"},
        {L"{DOWN}{enter}{Esc}{bs}{F12}{pgdn}", L"<Down><Enter><Escape><Backspace><F12><PageDown>"},
        {L"a~b", L"a<Enter>b"},
        {L"+^a%b", L"[+[^a^]+][%b%]"},
        {L"+(ec)d", L"[+ec+]d"},
        {L"^(a+(b))", L"[^a[+b+]^]"},
        {L"{{}{}}{+}{^}{%}{~}{(}{)}{[}{]}", L"{}+^%~()[]"},
        {L"{x 3}{} 2}{+ 0}", L"x*3}*2+*0"},
        {L"1\n2\r\n3\r4\t5", L"1<Enter>2<Enter>3<Enter>4<Tab>5"},
        {L"", L""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Show(ParseKeys(c.text)), c.keys) << "text: " << testing::PrintToString(c.text);
}

TEST(Keystrokes, BrokenStringsRaiseInvalidProcedureCall) {
    for (const wchar_t *bad : {L"{Enterr}", L"{Down", L"{}", L"}", L"(ab", L"ab)", L"[", L"x]",
                               L"+", L"a%", L"^)", L"{Down x}", L"{Down 99999999999}", L"{F17}"}) {
        try {
            ParseKeys(bad);
            ADD_FAILURE() << "accepted " << testing::PrintToString(bad);
        } catch (const RuntimeError &e) {
            EXPECT_EQ(e.Number(), kInvalidProcedureCall);
        }
    }
}

TEST(Keystrokes, EscapedTextArrivesAsTyped) {
    const std::wstring text = L"a+b^c%d~e(f)g{h}i[j]k 文";
    EXPECT_EQ(EscapeKeys(text), L"a{+}b{^}c{%}d{~}e{(}f{)}g{{}h{}}i{[}j{]}k 文");
    EXPECT_EQ(Show(ParseKeys(EscapeKeys(text))), text);
}
