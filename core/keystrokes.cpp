#include "keystrokes.h"

#include "vb_error.h"

#include <algorithm>

namespace mirolt {
namespace {

struct NamedKey {
    std::wstring_view name; // upper case
    Key key;
};

constexpr NamedKey kNamedKeys[] = {
    {L"BACKSPACE", Key::Backspace},
    {L"BS", Key::Backspace},
    {L"BKSP", Key::Backspace},
    {L"BREAK", Key::Break},
    {L"CAPSLOCK", Key::CapsLock},
    {L"DEL", Key::Delete},
    {L"DELETE", Key::Delete},
    {L"DOWN", Key::Down},
    {L"END", Key::End},
    {L"ENTER", Key::Enter},
    {L"ESC", Key::Escape},
    {L"HELP", Key::Help},
    {L"HOME", Key::Home},
    {L"INS", Key::Insert},
    {L"INSERT", Key::Insert},
    {L"LEFT", Key::Left},
    {L"NUMLOCK", Key::NumLock},
    {L"PGDN", Key::PageDown},
    {L"PGUP", Key::PageUp},
    {L"PRTSC", Key::PrintScreen},
    {L"RIGHT", Key::Right},
    {L"SCROLLLOCK", Key::ScrollLock},
    {L"TAB", Key::Tab},
    {L"UP", Key::Up},
    {L"ADD", Key::Add},
    {L"SUBTRACT", Key::Subtract},
    {L"MULTIPLY", Key::Multiply},
    {L"DIVIDE", Key::Divide},
};

constexpr std::wstring_view kKeyCodeCharacters = L"+^%~(){}[]";

[[noreturn]] void Invalid() {
    throw RuntimeError(kInvalidProcedureCall);
}

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

// A decimal count of up to 2147483647; anything else breaks the syntax.
int32_t ParseCount(std::wstring_view digits) {
    if (digits.empty()) Invalid();
    int64_t n = 0;
    for (wchar_t c : digits) {
        if (!IsDigit(c)) Invalid();
        n = n * 10 + (c - L'0');
        if (n > INT32_MAX) Invalid();
    }
    return int32_t(n);
}

Key KeyByName(std::wstring_view name) {
    std::wstring upper(name);
    for (wchar_t &c : upper)
        if (c >= L'a' && c <= L'z') c = wchar_t(c - L'a' + L'A');
    for (const NamedKey &k : kNamedKeys)
        if (k.name == upper) return k.key;
    if (upper.size() >= 2 && upper.size() <= 3 && upper[0] == L'F' && upper[1] != L'0') {
        int n = 0;
        for (wchar_t c : std::wstring_view(upper).substr(1)) {
            if (!IsDigit(c)) Invalid();
            n = n * 10 + (c - L'0');
        }
        if (n >= 1 && n <= 16) return Key(int(Key::F1) + n - 1);
    }
    Invalid();
}

class Parser {
  public:
    explicit Parser(std::wstring_view text) : s_(text) {}

    std::vector<Keystroke> Run() {
        Sequence(false);
        return std::move(out_);
    }

  private:
    void Sequence(bool inGroup) {
        while (i_ < s_.size()) {
            if (s_[i_] == L')') {
                if (!inGroup) Invalid();
                ++i_;
                return;
            }
            Unit();
        }
        if (inGroup) Invalid();
    }

    // Modifiers, then the one key or group they apply to.
    void Unit() {
        Key held[3];
        int n = 0;
        for (; i_ < s_.size(); ++i_) {
            const wchar_t c = s_[i_];
            if (c != L'+' && c != L'^' && c != L'%') break;
            const Key k = c == L'+' ? Key::Shift : c == L'^' ? Key::Control : Key::Alt;
            if (std::find(held, held + n, k) == held + n) held[n++] = k; // "++" holds it once
        }
        if (n > 0 && (i_ == s_.size() || s_[i_] == L')')) Invalid();
        for (int m = 0; m < n; ++m)
            out_.push_back({Keystroke::Kind::Hold, held[m]});
        Single();
        for (int m = n - 1; m >= 0; --m)
            out_.push_back({Keystroke::Kind::Release, held[m]});
    }

    void Single() {
        const wchar_t c = s_[i_++];
        switch (c) {
        case L'(':
            Sequence(true);
            break;
        case L'{':
            Braced();
            break;
        case L'[':
        case L']':
        case L'}':
            Invalid();
        case L'~':
        case L'\n':
            Press(Key::Enter, 1);
            break;
        case L'\r':
            if (i_ < s_.size() && s_[i_] == L'\n') ++i_;
            Press(Key::Enter, 1);
            break;
        case L'\t':
            Press(Key::Tab, 1);
            break;
        default:
            out_.push_back({Keystroke::Kind::Character, Key::Enter, c, 1});
        }
    }

    // {name} or {name count}; a closing brace right after the opening one is the quoted
    // character itself: {}} and {} 3}.
    void Braced() {
        if (i_ >= s_.size()) Invalid();
        const size_t close = s_.find(L'}', s_[i_] == L'}' ? i_ + 1 : i_);
        if (close == std::wstring_view::npos) Invalid();
        std::wstring_view body = s_.substr(i_, close - i_);
        i_ = close + 1;
        int32_t count = 1;
        const size_t space = body.rfind(L' ');
        if (space != std::wstring_view::npos && space > 0 && space + 1 < body.size()) {
            count = ParseCount(body.substr(space + 1));
            body = body.substr(0, space);
        }
        if (body.size() == 1)
            out_.push_back({Keystroke::Kind::Character, Key::Enter, body[0], count});
        else
            Press(KeyByName(body), count);
    }

    void Press(Key k, int32_t count) { out_.push_back({Keystroke::Kind::Press, k, 0, count}); }

    std::wstring_view s_;
    size_t i_ = 0;
    std::vector<Keystroke> out_;
};

} // namespace

std::vector<Keystroke> ParseKeys(std::wstring_view text) {
    return Parser(text).Run();
}

std::wstring EscapeKeys(std::wstring_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        if (kKeyCodeCharacters.find(c) != std::wstring_view::npos) {
            out += L'{';
            out += c;
            out += L'}';
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace mirolt
