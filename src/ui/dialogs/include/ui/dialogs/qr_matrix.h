#pragma once
// The two-dimensional code of a text: libqrencode's symbol as a plain module
// grid, and a crisp picture of it for the phone dialog.

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <optional>
#include <vector>

namespace quill {

class QrMatrix {
public:
    // Encodes bytes (8-bit mode, error correction level M, smallest version
    // that fits). Empty when libqrencode refuses the text (too long, no memory).
    static std::optional<QrMatrix> encode(const QByteArray& text);

    // Modules per side (21 for version 1, four more per version).
    int size() const { return size_; }
    int version() const { return version_; }
    bool isDark(int x, int y) const { return dark_[static_cast<std::size_t>(y) * size_ + x] != 0; }

private:
    QrMatrix(int size, int version) : size_(size), version_(version), dark_(static_cast<std::size_t>(size) * size) {}
    int size_;
    int version_;
    std::vector<unsigned char> dark_;
};

// Readers need four light modules around the symbol.
constexpr int kQrQuietZoneModules = 4;

// A side × side picture: the symbol with its quiet zone, every module the same
// whole number of pixels, centred; the spare pixels are light. The module
// size is the largest that fits, at least one pixel (then the symbol may be
// clipped when side is too small, which the callers never ask for).
QImage renderQrSymbol(const QrMatrix& matrix, int side, QColor dark = Qt::black, QColor light = Qt::white);

// Pixels per module chosen by renderQrSymbol for this matrix and side.
int qrModulePixels(const QrMatrix& matrix, int side);

}  // namespace quill
