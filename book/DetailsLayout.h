#pragma once

#include <QRect>
#include <QSize>

#include <vector>

// Where the controls of the main view's details stand at a given size of their pane. The form's
// table gives each control its place at the designed size; a wider or narrower pane widens or
// narrows each box of controls in proportion, a caption never gets less than its text needs (the
// control after it in its row moves over and narrows), and where the company and address boxes
// no longer fit beside the phones they go under them.
namespace details_layout {

enum class Kind { Frame, Caption, Control };
// The box a control belongs to: the name row, the phones (left) or the company and address
// (right) of the person, the contact.
enum class Block { Name, Phones, Company, Contact };

struct Item {
    QRect designed;  // in pixels at the designed size
    Block block;
    Kind kind;
    bool sizeX;  // narrows and widens with its box, else keeps its width
    bool sizeY;  // takes the extra height
    int least;   // the least width it may have: a caption's text, a control's useful width
};

struct Spacing {
    int gap;     // between a caption and the control after it
    int margin;  // between a box's edge and the controls in it
    int stack;   // between boxes put one under the other
};

struct Placement {
    std::vector<QRect> rects;  // in the order of the items
    bool fits = true;          // every control within its box and the width
    bool stacked = false;
    int height = 0;  // the height the details need
};

// The items laid out in a pane of the given size; stacked puts company and address under the
// phones.
Placement Lay(const std::vector<Item>& items, const QSize& designed, const QSize& size,
              bool stacked, const Spacing& spacing);

// The least pane width at which the items fit, side by side or stacked.
int LeastWidth(const std::vector<Item>& items, const QSize& designed, bool stacked,
               const Spacing& spacing);

}  // namespace details_layout
