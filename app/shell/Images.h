#pragma once
#include <QIcon>
#include <QPixmap>

// The 64 x 32 pictures of the tool bar and the menu, by image index.
QPixmap ToolImage(int index);
constexpr int kToolImageCount = 15;
QIcon AppIcon();
