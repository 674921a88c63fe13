#pragma once

#include <QPixmap>
#include <QString>

// The program's pictures, drawn at run time so that no picture files need to be shipped.
namespace Pictures {

QPixmap appIcon(int size = 48);
// Face of a navigation button, 68 x 74 pixels: a symbol over the caption.
QPixmap navigationFace(const QString& caption, bool pressed);
// Face of a page button of the account books, 120 x 28 pixels: the caption on a tab.
QPixmap pageFace(const QString& caption, bool pressed);
// Tile painted behind the navigation bar.
QPixmap navigationTile();
// The welcome picture with the bank's emblem and the product name.
QPixmap welcome(const QSize& size);

} // namespace Pictures
