#include "ui/shared/program_icon.h"

namespace quill {

QIcon programIcon() {
    // The resource lives in this static library; a program linking it gets
    // the resource object too, so the files are always there.
    static const QIcon icon = [] {
        QIcon built;
        for (int size : {32, 48, 64, 128, 256})
            built.addFile(QStringLiteral(":/quillometer/icons/quillometer-%1.png").arg(size), QSize(size, size));
        return built;
    }();
    return icon;
}

}  // namespace quill
