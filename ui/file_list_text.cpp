#include "ui/file_list_text.h"

#include <fnmatch.h>
#include <langinfo.h>
#include <locale.h>

#include <cstdio>
#include <cstring>
#include <ctime>

namespace ampliro {

std::string SizeText(uint64_t bytes) {
    const uint64_t k = bytes / 1024;
    char text[32];
    if (k == 0)
        std::snprintf(text, sizeof text, "%d", static_cast<int>(bytes));
    else if (k > 1000000)
        std::snprintf(text, sizeof text, "%dGb", static_cast<int>(k / 1000000));
    else if (k > 1000)
        std::snprintf(text, sizeof text, "%dMb", static_cast<int>(k / 1000));
    else
        std::snprintf(text, sizeof text, "%dK", static_cast<int>(k));
    return text;
}

bool DayBeforeMonth(const char* dateFormat) {
    if (!dateFormat) return false;
    const char* day = nullptr;
    const char* month = nullptr;
    for (const char* p = dateFormat; *p; ++p) {
        if (*p != '%' || !p[1]) continue;
        ++p;
        if (*p == 'E' || *p == 'O') {
            if (!p[1]) break;
            ++p;
        }
        if (!day && (*p == 'd' || *p == 'e')) day = p;
        if (!month && (*p == 'm' || *p == 'b' || *p == 'B' || *p == 'h')) month = p;
        if (*p == 'D' && !day && !month) return false;  // %D is %m/%d/%y
    }
    return day && month && day < month;
}

bool LocaleDayBeforeMonth() {
    locale_t user = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(0));
    if (user == static_cast<locale_t>(0)) return false;
    const bool dayFirst = DayBeforeMonth(nl_langinfo_l(D_FMT, user));
    freelocale(user);
    return dayFirst;
}

std::string DateText(int64_t secondsSinceEpoch, bool dayFirst) {
    const std::time_t t = static_cast<std::time_t>(secondsSinceEpoch);
    std::tm local{};
    if (!localtime_r(&t, &local)) return "";
    char text[40];
    const int yy = (local.tm_year + 1900) % 100;
    if (dayFirst)
        std::snprintf(text, sizeof text, "%02d/%02d/%02d", local.tm_mday, local.tm_mon + 1, yy);
    else
        std::snprintf(text, sizeof text, "%02d/%02d/%02d", local.tm_mon + 1, local.tm_mday, yy);
    return text;
}

std::vector<std::string> FolderComponents(const std::string& folder) {
    std::vector<std::string> components;
    size_t start = 0;
    // The root's component is the empty text before the leading "/".
    while (true) {
        const size_t slash = folder.find('/', start);
        if (slash == std::string::npos) {
            components.push_back(folder.substr(start));
            break;
        }
        components.push_back(folder.substr(start, slash - start));
        start = slash + 1;
    }
    return components;
}

std::string FolderTitle(const std::string& folder) {
    const size_t slash = folder.rfind('/');
    const std::string last = slash == std::string::npos ? folder : folder.substr(slash + 1);
    return last.empty() ? kRootName : last;
}

std::string CutFolder(const std::string& folder, int n) {
    const std::vector<std::string> components = FolderComponents(folder);
    if (n >= static_cast<int>(components.size())) return folder;
    std::string cut = components[0];
    for (int i = 1; i < n; ++i) cut += "/" + components[i];
    return cut;
}

std::string PathMenuText(const std::string& folder) {
    const std::vector<std::string> components = FolderComponents(folder);
    const int count = static_cast<int>(components.size());
    std::vector<std::string> items;
    for (int i = 1; i <= count; ++i) {
        char code[16];
        std::snprintf(code, sizeof code, "%02d%c", i % 100, i < count ? '?' : '*');
        std::string item = code;
        for (int level = 0; level < i; ++level) item += "  ";
        item += components[i - 1].empty() ? kRootName : components[i - 1];
        items.push_back(std::move(item));
    }
    // Keep the deepest items: the current folder is always offered.
    size_t first = 0;
    auto length = [&](size_t from) {
        size_t total = 0;
        for (size_t k = from; k < items.size(); ++k) total += items[k].size() + (k > from);
        return total;
    };
    while (first + 1 < items.size() &&
           (items.size() - first > static_cast<size_t>(kMenuItemLimit) ||
            length(first) > kMenuTextLimit))
        ++first;
    std::string text;
    for (size_t k = first; k < items.size(); ++k) {
        if (k > first) text += ",";
        text += items[k];
    }
    if (text.size() > kMenuTextLimit) text.resize(kMenuTextLimit);
    return text;
}

std::string ParentFolder(const std::string& folder) {
    const size_t slash = folder.rfind('/');
    if (slash == std::string::npos) return folder;
    return folder.substr(0, slash);
}

std::string JoinPath(const std::string& folder, const std::string& name, size_t limit) {
    std::string path = folder + "/" + name;
    if (path.size() > limit) return "";
    return path;
}

namespace {

// The code point of the UTF-8 sequence at text[i] and its length; -1 for a
// byte that does not start a complete, shortest-form sequence.
int32_t DecodeUtf8(const std::string& text, size_t i, size_t* length) {
    const auto byte = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
    const uint8_t lead = byte(i);
    *length = 1;
    if (lead < 0x80) return lead;
    size_t extra = 0;
    int32_t cp = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1;
        cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2;
        cp = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3;
        cp = lead & 0x07;
    } else {
        return -1;
    }
    if (i + extra >= text.size()) return -1;
    for (size_t k = 1; k <= extra; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return -1;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    // Overlong forms and surrogates are not UTF-8.
    static constexpr int32_t kSmallest[4] = {0, 0x80, 0x800, 0x10000};
    if (cp < kSmallest[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return -1;
    *length = extra + 1;
    return cp;
}

}  // namespace

std::string DisplayName(const std::string& fileName) {
    std::string shown;
    for (size_t i = 0; i < fileName.size();) {
        size_t length = 1;
        const int32_t cp = DecodeUtf8(fileName, i, &length);
        i += length;
        if (cp == '|')
            shown += '/';
        else if (cp < 0x20 || (cp >= 0x7F && cp < 0xA0) || cp > 0xFF)
            shown += '?';
        else
            shown += static_cast<char>(cp);
    }
    return shown;
}

std::string FileNameFromText(const std::string& text) {
    std::string name;
    for (char c : text) {
        const auto code = static_cast<uint8_t>(c);
        if (code < 0x80) {
            name += c;
        } else {
            name += static_cast<char>(0xC0 | (code >> 6));
            name += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return name;
}

bool MatchesPattern(const std::string& pattern, const std::string& name) {
    if (pattern == "*.*" || pattern == "*") return true;
    return fnmatch(pattern.c_str(), name.c_str(), FNM_CASEFOLD | FNM_PERIOD) == 0;
}

}  // namespace ampliro
