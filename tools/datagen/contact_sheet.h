#pragma once

#include <QImage>

#include <map>
#include <string>

// One picture to look over all the art: a yard full of objects as the game
// draws it, every small picture twice its size on a checkerboard that shows
// its transparency, and the full-size pictures at half size.
QImage DrawContactSheet(const std::map<std::string, QImage>& Pictures);
