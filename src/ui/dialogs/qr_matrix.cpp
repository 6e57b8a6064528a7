#include "ui/dialogs/qr_matrix.h"

#include <qrencode.h>

#include <QPainter>
#include <algorithm>
#include <memory>

namespace quill {

std::optional<QrMatrix> QrMatrix::encode(const QByteArray& text) {
    // QRcode_encodeString stops at the first NUL; a URL never holds one, and
    // encodeData keeps any byte string whole anyway.
    std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeData(static_cast<int>(text.size()), reinterpret_cast<const unsigned char*>(text.constData()), 0,
                          QR_ECLEVEL_M),
        &QRcode_free);
    if (!code || code->width <= 0) return std::nullopt;

    QrMatrix matrix(code->width, code->version);
    const std::size_t count = static_cast<std::size_t>(code->width) * code->width;
    for (std::size_t i = 0; i < count; ++i) matrix.dark_[i] = code->data[i] & 1;  // bit 0: dark module
    return matrix;
}

int qrModulePixels(const QrMatrix& matrix, int side) {
    const int span = matrix.size() + 2 * kQrQuietZoneModules;
    return std::max(1, side / span);
}

QImage renderQrSymbol(const QrMatrix& matrix, int side, QColor dark, QColor light) {
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(light);

    const int module = qrModulePixels(matrix, side);
    const int symbol = matrix.size() * module;
    // Centre the modules themselves; the quiet zone is whatever light is left
    // around them, never less than four modules.
    const int origin = (side - symbol) / 2;

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    painter.setBrush(dark);
    for (int y = 0; y < matrix.size(); ++y) {
        // One rectangle per horizontal run keeps the drawing cheap.
        int x = 0;
        while (x < matrix.size()) {
            if (!matrix.isDark(x, y)) {
                ++x;
                continue;
            }
            int end = x;
            while (end < matrix.size() && matrix.isDark(end, y)) ++end;
            painter.drawRect(origin + x * module, origin + y * module, (end - x) * module, module);
            x = end;
        }
    }
    return image;
}

}  // namespace quill
