// The pictures of the document windows, by the image numbers of the main window's icon list:
// 0 script, 1 text, 2 command table, 6 settings table, 7 text-resource table.
#pragma once

#include <QIcon>

QIcon DocumentIcon(int imageIndex);
