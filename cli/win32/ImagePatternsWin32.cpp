#include "ImagePatterns.h"

#include "CodePage.h"
#include "Messages.h"
#include "Platform.h"

#include <algorithm>

namespace ImagePatterns {

namespace {

struct Match {
    std::wstring key; // the name in capitals, for matching and order
    std::wstring name;
};

bool HasWildcard(const std::string& text) {
    // The "?" of a verbatim path's prefix ("\\?\") is no wildcard.
    const std::size_t from = Platform::IsVerbatim(text) ? 4 : 0;
    return text.find_first_of("*?", from) != std::string::npos;
}

std::wstring Capitals(std::wstring text) {
    ::CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// The long name alone: the system also matches the short 8.3 name, so that "*.img" would take
// "box.imgx" through its short name "BOX~1.IMG".
bool Matches(const std::wstring& pattern, const std::wstring& name) {
    std::size_t p = 0, n = 0, star = std::wstring::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == L'?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == L'*') {
            star = p++;
            resume = n;
        } else if (star != std::wstring::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*')
        ++p;
    return p == pattern.size();
}

std::vector<Match> FilesMatching(const std::string& pattern) {
    std::vector<Match> matches;
    const std::string folder = Platform::FolderOf(pattern);
    const std::optional<std::wstring> whole = CodePage::Widen(pattern);
    const std::optional<std::wstring> namePart = CodePage::Widen(pattern.substr(folder.size()));
    if (HasWildcard(folder) || !whole || !namePart)
        return matches;
    // As in cmd.exe, "*.*" takes names without a dot too.
    const std::wstring wanted = *namePart == L"*.*" ? L"*" : Capitals(*namePart);
    WIN32_FIND_DATAW found;
    const HANDLE search = ::FindFirstFileExW(whole->c_str(), FindExInfoBasic, &found,
                                             FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE)
        return matches;
    do {
        Match match{Capitals(found.cFileName), found.cFileName};
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && Matches(wanted, match.key))
            matches.push_back(std::move(match));
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    // The file system's own order differs between NTFS, FAT and network shares.
    std::sort(matches.begin(), matches.end(), [](const Match& a, const Match& b) {
        return a.key != b.key ? a.key < b.key : a.name < b.name;
    });
    return matches;
}

} // namespace

void Expand(Options& options) {
    std::vector<std::string> inputs;
    for (const std::string& input : options.inputs) {
        if (!HasWildcard(input)) {
            inputs.push_back(input);
            continue;
        }
        const std::vector<Match> matches = FilesMatching(input);
        if (matches.empty()) {
            options.failedInputs[inputs.size()] = Messages::NoFileMatches();
            inputs.push_back(input);
        }
        const std::string folder = Platform::FolderOf(input);
        for (const Match& match : matches) {
            const std::optional<std::string> name = CodePage::Narrow(match.name);
            if (!name)
                options.failedInputs[inputs.size()] = Messages::NameBeyondCodePage(::GetACP());
            inputs.push_back(folder + (name ? *name : CodePage::NarrowForShow(match.name)));
        }
    }
    options.inputs = std::move(inputs);
}

} // namespace ImagePatterns
