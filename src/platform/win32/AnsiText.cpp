// Conversions between UTF-8, UTF-16 and the system's ANSI and OEM code pages.
#include <windows.h>

#include <climits>

#include "base/Exception.h"
#include "base/Text.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WideText.h"

namespace {

int CheckedLength(std::size_t size) {
    // The conversion APIs count in int; the program's texts are far smaller.
    if (size > static_cast<std::size_t>(INT_MAX / 4)) throw Exception("Tekst jest za długi do konwersji");
    return static_cast<int>(size);
}

std::wstring ToWide(UINT codePage, std::string_view text) {
    if (text.empty()) return {};
    const int length = CheckedLength(text.size());
    const int needed = ::MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    if (needed > 0) ::MultiByteToWideChar(codePage, 0, text.data(), length, wide.data(), needed);
    return wide;
}

std::string FromWide(UINT codePage, std::wstring_view wide) {
    if (wide.empty()) return {};
    const int length = CheckedLength(wide.size());
    // No best fit: a letter the code page lacks becomes '?', never a lookalike
    // ('ą' must not quietly turn into 'a').
    const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int needed = ::WideCharToMultiByte(codePage, flags, wide.data(), length, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(needed), '\0');
    if (needed > 0)
        ::WideCharToMultiByte(codePage, flags, wide.data(), length, text.data(), needed, nullptr, nullptr);
    return text;
}

}  // namespace

std::wstring Utf8ToWide(std::string_view utf8) { return ToWide(CP_UTF8, utf8); }

std::string WideToUtf8(std::wstring_view wide) { return FromWide(CP_UTF8, wide); }

std::string AnsiToUtf8(std::string_view ansi) { return WideToUtf8(ToWide(CP_ACP, ansi)); }

std::string Utf8ToAnsi(std::string_view utf8) { return FromWide(CP_ACP, Utf8ToWide(utf8)); }

std::string OemToUtf8(std::string_view oem) { return WideToUtf8(ToWide(CP_OEMCP, oem)); }

std::string Utf8ToOem(std::string_view utf8) { return FromWide(CP_OEMCP, Utf8ToWide(utf8)); }

std::string SystemErrorText(unsigned long code) {
    UniqueHLocal buffer;
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
        0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    buffer.reset(text);
    std::wstring_view message(text ? text : L"", length);
    while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n' || message.back() == L' '))
        message.remove_suffix(1);
    if (message.empty()) return "błąd systemu " + std::to_string(code);
    return WideToUtf8(message);
}
