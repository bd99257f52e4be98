#pragma once
// The small pictures on the buttons, drawn rather than loaded, so that they scale and
// need no image files.
#include <QIcon>

namespace kalvora {

enum class Glyph {
    First,
    Prior,
    Next,
    Last,
    Insert,
    Delete,
    Cancel,
    Connect,
    Configure,
    Send,
    Exit,
    Save,
    Key,
    Database,
    Lock,
};

QIcon glyphIcon(Glyph glyph);
// One picture at any size, for painted decorations.
QPixmap glyphPixmap(Glyph glyph, int size);

}  // namespace kalvora
