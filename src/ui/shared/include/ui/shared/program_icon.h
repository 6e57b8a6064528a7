#pragma once
// The program's own icon: a polynomial curve with "F(x)", at every size the
// desktop asks for (32 px for the window, up to 256 px for launchers).

#include <QIcon>

namespace quill {

// Built once from the PNGs compiled into the program; never null.
QIcon programIcon();

}  // namespace quill
