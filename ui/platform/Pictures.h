#pragma once
// The small pictures of the windows, drawn here: the range button's grid, the search glass, the
// export sheet, and the up and down triangles of sorted column headers.

#include <QHash>
#include <QIcon>
#include <QPixmap>

namespace platform {

QPixmap rangePicture(int size);
QPixmap searchPicture(int size);
QPixmap exportPicture(int size);
// The header images by key: "up" and "down", 16 x 16.
QHash<QString, QIcon> sortImages();

} // namespace platform
