// libFuzzer entry for the version-1 parser: any bytes must end in a tree or an Exception.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "SimpleXMLParser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A copy of exactly the given size, so that a read past the end is caught.
    std::unique_ptr<char[]> bytes(new char[size ? size : 1]);
    if (size) {
        std::memcpy(bytes.get(), data, size);
    }
    try {
        SimpleXMLParser::Parser parser;
        std::unique_ptr<SimpleXMLParser::Element> root = parser.Parse(bytes.get(), size);
        if (!root) {
            __builtin_trap();
        }
    } catch (const SimpleXMLParser::Exception& e) {
        if (e.Line() < 1 || e.Column() < 1) {
            __builtin_trap();
        }
    }
    return 0;
}
