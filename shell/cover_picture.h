#pragma once

#include <QImage>

namespace tackedit {

// The picture at the top of the cover screen, 261 x 206 pixels. Drawn in code
// so the window carries no binary resource; the same picture on every run.
QImage MakeCoverPicture();

}  // namespace tackedit
