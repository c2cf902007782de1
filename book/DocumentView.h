#pragma once

// A view attached to the document: told when the current file has changed.
class DocumentView {
public:
    virtual ~DocumentView() = default;
    // The current file changed: reload everything shown.
    virtual void OnReload() = 0;
    virtual void OnPathChanged() {}
};
