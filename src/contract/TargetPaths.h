#pragma once

// Where Setup.exe may put something: the rules every target path of the description (a file's
// destination, a shortcut, an INI file, an OCX/DLL, an associated program, the installation
// folder) must meet. Setup.exe applies them to every line before it changes anything; the
// builder applies this same code to the project's rows first, so no setup is built that
// Setup.exe would refuse.
//
// A target path is expanded first: each "<Name>" becomes what the variable stands for, and an
// unknown name is refused ("<" without ">" stays as it is, and is refused as a character). The
// expanded path must be
//  - absolute: a drive ("C:\") or a share ("\\server\share"); "\\?\" and "\\.\" device paths
//    are not accepted;
//  - made of parts that are not "." or ".." (they would climb out of the folder the line names),
//    hold no control character, tab or any of : * ? " < > | (":" would name a stream), do not end
//    in "." or a blank (Windows drops those, so the part would name another file), and are not
//    a device name (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9, CONIN$, CONOUT$, with or
//    without an extension), which Windows opens as the device instead of a file;
//  - within Windows' length limits: 259 characters, 247 for the folder it lies in.
// "/" counts as "\", repeated separators collapse, and blanks around the whole path are dropped.
//
// The builder does not know the end user's folders: it resolves each folder variable to a
// stand-in folder (builderStandIn), so what it checks is exactly the text the author wrote. A
// folder that is missing on one machine is the only refusal left to Setup.exe.
//
// Templates over the character type: the runtime works in UTF-16, the host in UTF-8. Every
// character the rules look at is ASCII, and no byte of a UTF-8 sequence is.

#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

#include "contract/Blanks.h"
#include "contract/PathVariables.h"

namespace corvane::contract {

enum class PathProblem : unsigned char {
    None,
    Empty,               // nothing but blanks
    UnknownVariable,     // detail: the name
    NotAbsolute,         // no drive, share or folder variable at its start
    NoShare,             // "\\server" without a share
    DotPart,             // detail: "." or ".."
    ForbiddenCharacter,  // detail: the character
    TrailingDotOrBlank,  // detail: the part
    DeviceName,          // detail: the part
    TooLong,             // past kMaxPathLength, or its folder past kMaxFolderLength
};

// What is wrong, as a phrase that follows the path or its name: 'the destination "x" is empty'.
constexpr std::string_view describe(PathProblem problem) {
    switch (problem) {
        case PathProblem::None:
            return "is valid";
        case PathProblem::Empty:
            return "is empty";
        case PathProblem::UnknownVariable:
            return "uses a path variable the setup does not know";
        case PathProblem::NotAbsolute:
            return "is not a full path; begin it with a path variable such as <InstallDir>, or a drive";
        case PathProblem::NoShare:
            return "names a server but no share";
        case PathProblem::DotPart:
            return "has a \".\" or \"..\" part, which would climb out of its folder";
        case PathProblem::ForbiddenCharacter:
            return "holds a character Windows refuses in paths";
        case PathProblem::TrailingDotOrBlank:
            return "has a part ending in \".\" or a blank, which Windows drops";
        case PathProblem::DeviceName:
            return "has a part that Windows reserves for a device";
        case PathProblem::TooLong:
            return "is longer than Windows allows: 259 characters for a path, 247 for its folder";
    }
    return "is not valid";
}

template <class Char>
struct PathCheck {
    PathProblem problem = PathProblem::None;
    std::basic_string<Char> detail;
    std::basic_string<Char> path;  // the expanded and normalised path, when there is no problem

    bool ok() const { return problem == PathProblem::None; }
};

namespace paths {

template <class Char>
constexpr bool isSeparator(Char c) {
    return c == Char('\\') || c == Char('/');
}

// Control characters, and what no file name may hold besides the separators.
template <class Char>
constexpr bool isForbidden(Char c) {
    const auto u = static_cast<unsigned long>(static_cast<std::make_unsigned_t<Char>>(c));
    if (u < 32) return true;
    for (const char f : std::string_view(":*?\"<>|"))
        if (u == static_cast<unsigned long>(f)) return true;
    return false;
}

template <class Char>
constexpr Char upper(Char c) {
    return c >= Char('a') && c <= Char('z') ? Char(c - Char('a') + Char('A')) : c;
}

template <class Char>
constexpr bool isAsciiLetter(Char c) {
    return upper(c) >= Char('A') && upper(c) <= Char('Z');
}

template <class Char>
constexpr bool sameLetters(std::basic_string_view<Char> text, std::string_view upperAscii) {
    if (text.size() != upperAscii.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (upper(text[i]) != Char(upperAscii[i])) return false;
    return true;
}

// "¹", "²" or "³", which Windows also takes as the number of a COM or LPT port.
template <class Char>
constexpr bool isSuperscriptDigit(std::basic_string_view<Char> text) {
    const auto unit = [&](std::size_t i) {
        return static_cast<unsigned long>(static_cast<std::make_unsigned_t<Char>>(text[i]));
    };
    const auto superscript = [](unsigned long u) { return u == 0xB9 || u == 0xB2 || u == 0xB3; };
    if constexpr (sizeof(Char) == 1)
        return text.size() == 2 && unit(0) == 0xC2 && superscript(unit(1));
    else
        return text.size() == 1 && superscript(unit(0));
}

template <class Char>
constexpr bool isDeviceName(std::basic_string_view<Char> part) {
    std::basic_string_view<Char> stem = part.substr(0, part.find(Char('.')));
    while (!stem.empty() && stem.back() == Char(' '))
        stem.remove_suffix(1);
    for (const std::string_view device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
        if (sameLetters(stem, device)) return true;
    if (stem.size() < 4 || !(sameLetters(stem.substr(0, 3), "COM") || sameLetters(stem.substr(0, 3), "LPT")))
        return false;
    const std::basic_string_view<Char> number = stem.substr(3);
    return (number.size() == 1 && number[0] >= Char('1') && number[0] <= Char('9')) ||
           isSuperscriptDigit(number);
}

}  // namespace paths

// A setting used inside a path (<AppName> and the like) keeps only what a file name may hold.
template <class Char>
std::basic_string<Char> fileNamePart(std::basic_string_view<Char> text) {
    std::basic_string<Char> out;
    for (const Char c : text)
        if (!paths::isForbidden(c) && !paths::isSeparator(c)) out += c;
    return std::basic_string<Char>(trimBlanks(std::basic_string_view<Char>(out)));
}

// Windows' limits for programs that do not declare long-path support, as Setup.exe does not (the
// shell's shortcuts and the profile functions have no such support at all): a path of at most
// 259 characters (MAX_PATH less its end) in a folder of at most 247 (room left for an 8.3 name).
inline constexpr std::size_t kMaxPathLength = 259;
inline constexpr std::size_t kMaxFolderLength = 247;

// A text's length as Windows counts it, in UTF-16 units (the host's UTF-8 counted so).
template <class Char>
constexpr std::size_t windowsLength(std::basic_string_view<Char> text) {
    if constexpr (sizeof(Char) > 1) {
        return text.size();
    } else {
        std::size_t units = 0;
        for (const Char c : text) {
            const unsigned char byte = static_cast<unsigned char>(c);
            if ((byte & 0xC0) != 0x80) ++units;  // not a continuation byte
            if (byte >= 0xF0) ++units;           // beyond the BMP: a surrogate pair
        }
        return units;
    }
}

// Checks an absolute path and gives it in its normal form: "\" separators, no repeated ones,
// no trailing one but after a bare drive ("C:\").
template <class Char>
PathCheck<Char> normaliseTargetPath(std::basic_string_view<Char> text) {
    using String = std::basic_string<Char>;
    using View = std::basic_string_view<Char>;
    PathCheck<Char> check;
    String p(trimBlanks(text));
    for (Char& c : p)
        if (c == Char('/')) c = Char('\\');
    if (p.empty()) {
        check.problem = PathProblem::Empty;
        return check;
    }
    View rest;
    bool share = false;
    if (p.size() >= 3 && paths::isAsciiLetter(p[0]) && p[1] == Char(':') && p[2] == Char('\\')) {
        check.path = p.substr(0, 2);
        rest = View(p).substr(3);
    } else if (p.size() >= 3 && p[0] == Char('\\') && p[1] == Char('\\') && p[2] != Char('?') &&
               p[2] != Char('.')) {
        check.path = String(1, Char('\\'));
        rest = View(p).substr(2);
        share = true;
    } else {
        check.problem = PathProblem::NotAbsolute;
        return check;
    }
    unsigned parts = 0;
    while (!rest.empty()) {
        const std::size_t end = rest.find(Char('\\'));
        const View part = rest.substr(0, end);
        rest = end == View::npos ? View() : rest.substr(end + 1);
        if (part.empty()) continue;
        auto fail = [&](PathProblem problem, View detail) {
            check.problem = problem;
            check.detail = String(detail);
            check.path.clear();
            return check;
        };
        if (part.size() <= 2 && part.find_first_not_of(Char('.')) == View::npos)
            return fail(PathProblem::DotPart, part);
        for (std::size_t i = 0; i < part.size(); ++i)
            if (paths::isForbidden(part[i])) return fail(PathProblem::ForbiddenCharacter, part.substr(i, 1));
        if (part.back() == Char('.') || part.back() == Char(' '))
            return fail(PathProblem::TrailingDotOrBlank, part);
        // The first part of a share is the server's name, not a file's.
        if (!(share && parts == 0) && paths::isDeviceName(part)) return fail(PathProblem::DeviceName, part);
        check.path += Char('\\');
        check.path += part;
        ++parts;
    }
    if (share && parts < 2) {
        check.problem = PathProblem::NoShare;
        check.path.clear();
        return check;
    }
    if (parts == 0) check.path += Char('\\');
    const std::basic_string_view<Char> path(check.path);
    const std::size_t folderEnd = path.rfind(Char('\\'));
    if (windowsLength(path) > kMaxPathLength ||
        (folderEnd != std::basic_string_view<Char>::npos &&
         windowsLength(path.substr(0, folderEnd)) > kMaxFolderLength)) {
        check.problem = PathProblem::TooLong;
        check.path.clear();
    }
    return check;
}

// Replaces every "<Name>" of text by its value. resolve(variable, value) gives a variable's
// value and returns false when it has none. In a path an unknown or unavailable name is refused
// (UnknownVariable, with the name); in a value (keepUnknown) it stays as written.
template <class Char, class Resolve>
PathProblem expandVariables(std::basic_string_view<Char> text, const Resolve& resolve, bool keepUnknown,
                            std::basic_string<Char>& out, std::basic_string<Char>& detail) {
    using View = std::basic_string_view<Char>;
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != Char('<')) {
            out += text[i];
            continue;
        }
        const std::size_t close = text.find(Char('>'), i);
        if (close == View::npos) {
            out += text.substr(i);
            break;
        }
        const View name = text.substr(i + 1, close - i - 1);
        const std::optional<PathVariable> variable = findPathVariable(name);
        std::basic_string<Char> value;
        if (!variable || !resolve(*variable, value)) {
            if (!keepUnknown) {
                detail = std::basic_string<Char>(name);
                return PathProblem::UnknownVariable;
            }
            out += text.substr(i, close - i + 1);
        } else {
            out += value;
        }
        i = close;
    }
    return PathProblem::None;
}

// Expands a target path and checks it (see the top of this file).
template <class Char, class Resolve>
PathCheck<Char> expandTargetPath(std::basic_string_view<Char> text, const Resolve& resolve) {
    PathCheck<Char> check;
    const std::basic_string_view<Char> trimmed = trimBlanks(text);
    if (trimmed.empty()) {
        check.problem = PathProblem::Empty;
        return check;
    }
    std::basic_string<Char> expanded;
    check.problem = expandVariables(trimmed, resolve, false, expanded, check.detail);
    if (!check.ok()) return check;
    return normaliseTargetPath(std::basic_string_view<Char>(expanded));
}

// A file's destination must end in the file's name: the builder stores the file under it, and
// Setup.exe writes it there. "<InstallDir>\Docs\" names a folder.
template <class Char>
bool namesAFile(std::basic_string_view<Char> destination) {
    std::size_t last = destination.size();
    while (last > 0 && !paths::isSeparator(destination[last - 1]))
        --last;
    return !trimBlanks(destination.substr(last)).empty();
}

// What the builder puts in place of a folder variable: a valid absolute folder (a drive alone
// for <SystemDrive>, which the runtime expands to "C:").
inline std::string builderStandIn(PathVariable variable) {
    return variable == PathVariable::SystemDrive ? "C:" : "C:\\Folder";
}

}  // namespace corvane::contract
