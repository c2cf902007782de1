#pragma once

#include <string>

// A view attached to the document: told when the current file has changed.
class DocumentView {
public:
    virtual ~DocumentView() = default;
    // The document has a new current file (local 8-bit, empty when none is open).
    virtual void OnPathChanged(const std::string& path) = 0;
    // The current file changed: reload everything shown.
    virtual void OnReload() = 0;
};
