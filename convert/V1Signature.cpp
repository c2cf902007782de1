#include "V1Signature.h"

#include <array>
#include <cstdio>
#include <memory>

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Skips what may stand before the root element: white space, the declaration, processing
// instructions, comments and a document type. False when the text ends first.
bool SkipProlog(std::string_view& text) {
    for (;;) {
        while (!text.empty() && IsSpace(text.front())) {
            text.remove_prefix(1);
        }
        std::string_view end;
        if (text.substr(0, 2) == "<?") {
            end = "?>";
        } else if (text.substr(0, 4) == "<!--") {
            end = "-->";
        } else if (text.substr(0, 2) == "<!") {
            end = ">";
        } else {
            return !text.empty();
        }
        const size_t at = text.find(end, 2);
        if (at == std::string_view::npos) {
            return false;
        }
        text.remove_prefix(at + end.size());
    }
}

}  // namespace

bool StartsLikeVersionOneFile(std::string_view head) {
    static constexpr std::string_view kBom = "\xEF\xBB\xBF";
    if (head.substr(0, kBom.size()) == kBom) {
        head.remove_prefix(kBom.size());
    }
    if (!SkipProlog(head)) {
        return false;
    }
    static constexpr std::string_view kRoot = "<Tidemark";
    if (head.substr(0, kRoot.size()) != kRoot) {
        return false;
    }
    head.remove_prefix(kRoot.size());
    return head.empty() || IsSpace(head.front()) || head.front() == '>' || head.front() == '/';
}

bool IsVersionOneFile(const std::string& path) {
    const std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file) {
        return false;
    }
    // Enough for any declaration and comment an editor would put before the root.
    std::array<char, 65536> buffer;
    const size_t read = std::fread(buffer.data(), 1, buffer.size(), file.get());
    return StartsLikeVersionOneFile(std::string_view(buffer.data(), read));
}
