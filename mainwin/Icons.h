#pragma once

#include <QIcon>

namespace kopix {

// The pictures of the commands, numbered as in the program's image list (8 and 9 are not used).
enum class Image {
    Menu = 0,
    Open = 1,
    RecentFiles = 2,
    Bookmarks = 3,
    Editor = 4,
    Refresh = 5,
    Help = 6,
    Shrink = 7,
    Revert = 10,
    Undo = 11,
    Cut = 12,
    Copy = 13,
    Paste = 14,
    Delete = 15,
};

// The desktop's icon for the picture where its icon theme has one (the plain name or its symbolic form),
// else Kopix's own, so Kopix looks at home under any theme and complete under none. Looked for when the
// picture is first drawn.
QIcon imageIcon(Image image);
// The picture looked up now, without the memory imageIcon keeps of what it found.
QIcon lookUpImage(Image image);

// Kopix's own icon, for its windows, read when it is first drawn.
QIcon applicationIcon();

} // namespace kopix
