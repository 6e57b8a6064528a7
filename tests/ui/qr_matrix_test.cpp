// The two-dimensional code: the module grid, its crisp picture, and a real
// reader (zbarimg) getting the address back from what the phone dialog shows.

#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "ui/help_commands.h"
#include "ui/phone_dialog.h"
#include "ui/qr_matrix.h"

using quill::QrMatrix;

namespace {

// Decodes every symbol in the picture; empty when zbarimg finds none.
QString Decode(const QImage& image, QString* skipReason) {
    const QString zbarimg = QStandardPaths::findExecutable("zbarimg");
    if (zbarimg.isEmpty()) {
        *skipReason = "zbarimg is not installed (Debian: apt-get install zbar-tools)";
        return {};
    }
    QTemporaryDir dir;
    const QString path = dir.filePath("code.png");
    if (!image.save(path)) return {};
    QProcess reader;
    reader.start(zbarimg, {"--quiet", "--raw", "-Sdisable", "-Sqrcode.enable", path});
    if (!reader.waitForFinished(30000)) return {};
    QString text = QString::fromUtf8(reader.readAllStandardOutput());
    if (text.endsWith('\n')) text.chop(1);
    return text;
}

#define DECODE_OR_SKIP(var, image)                                  \
    QString skipReason;                                             \
    const QString var = Decode(image, &skipReason);                 \
    if (!skipReason.isEmpty()) QSKIP(qPrintable(skipReason));

// Both colours only, no grey from smoothing.
bool OnlyBlackAndWhite(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y) & 0xFFFFFF;
            if (p != 0 && p != 0xFFFFFF) return false;
        }
    return true;
}

}  // namespace

class QrMatrixTest : public QObject {
    Q_OBJECT

private slots:
    void sizeFollowsVersion_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("version");
        // Byte-mode capacities at level M: 14 bytes fit version 1, 26 version 2, 42 version 3.
        QTest::newRow("14 bytes") << 14 << 1;
        QTest::newRow("15 bytes") << 15 << 2;
        QTest::newRow("26 bytes") << 26 << 2;
        QTest::newRow("27 bytes") << 27 << 3;
        QTest::newRow("200 bytes") << 200 << 10;
    }

    void sizeFollowsVersion() {
        QFETCH(int, length);
        QFETCH(int, version);
        const auto matrix = QrMatrix::Encode(QByteArray(length, 'a'));
        QVERIFY(matrix);
        QCOMPARE(matrix->version(), version);
        QCOMPARE(matrix->size(), 17 + 4 * version);
    }

    // The three finder patterns: 7 × 7 dark rings with a dark 3 × 3 centre.
    void finderPatternsSitInThreeCorners() {
        const auto matrix = QrMatrix::Encode("https://quillometer.example.org/");
        QVERIFY(matrix);
        const int n = matrix->size();
        for (QPoint corner : {QPoint(0, 0), QPoint(n - 7, 0), QPoint(0, n - 7)}) {
            for (int y = 0; y < 7; ++y)
                for (int x = 0; x < 7; ++x) {
                    const bool ring = x == 0 || y == 0 || x == 6 || y == 6;
                    const bool centre = x >= 2 && x <= 4 && y >= 2 && y <= 4;
                    QCOMPARE(matrix->isDark(corner.x() + x, corner.y() + y), ring || centre);
                }
        }
    }

    void tooLongTextIsRefused() { QVERIFY(!QrMatrix::Encode(QByteArray(3000, 'a'))); }

    // Whole pixels per module, centred, at least four light modules around.
    void pictureIsCrisp_data() {
        QTest::addColumn<int>("side");
        QTest::newRow("dialog size") << 210;
        QTest::newRow("odd size") << 203;
        QTest::newRow("exact fit") << 37 * 4;
    }

    void pictureIsCrisp() {
        QFETCH(int, side);
        const auto matrix = QrMatrix::Encode("https://quillometer.example.org/");
        QVERIFY(matrix);
        const QImage image = quill::RenderQrSymbol(*matrix, side);
        QCOMPARE(image.size(), QSize(side, side));
        QVERIFY(OnlyBlackAndWhite(image));

        const int module = quill::QrModulePixels(*matrix, side);
        const int n = matrix->size();
        QVERIFY(module >= 1);
        QVERIFY((n + 2 * quill::kQrQuietZoneModules) * module <= side);
        QVERIFY((n + 2 * quill::kQrQuietZoneModules) * (module + 1) > side);  // the largest that fits

        const int origin = (side - n * module) / 2;
        QVERIFY(origin >= quill::kQrQuietZoneModules * module);
        QVERIFY(side - origin - n * module >= quill::kQrQuietZoneModules * module);
        // Every pixel of a module has that module's colour; the margin is light.
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x) {
                const int mx = (x - origin) < 0 ? -1 : (x - origin) / module;
                const int my = (y - origin) < 0 ? -1 : (y - origin) / module;
                const bool inside = mx >= 0 && my >= 0 && mx < n && my < n;
                const bool dark = inside && matrix->isDark(mx, my);
                if (((image.pixel(x, y) & 0xFFFFFF) == 0) != dark) QFAIL(qPrintable(QString("pixel %1,%2").arg(x).arg(y)));
            }
    }

    void readerDecodesAnyAddress_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("placeholder") << "https://quillometer.example.org/";
        QTest::newRow("query and fragment") << "https://example.com/a/b?x=1&y=%20z#frag";
        QTest::newRow("long path") << "https://example.org/" + QString(120, 'q');
    }

    void readerDecodesAnyAddress() {
        QFETCH(QString, text);
        const auto matrix = QrMatrix::Encode(text.toUtf8());
        QVERIFY(matrix);
        DECODE_OR_SKIP(decoded, quill::RenderQrSymbol(*matrix, 210));
        QCOMPARE(decoded, text);
    }

    // What the dialog really shows is the configured web address.
    void phoneDialogShowsTheWebAddress() {
        quill::TFrmVisitePhone phone;
        QCOMPARE(phone.codeText(), quill::WebAddress());
        const QPixmap shown = phone.Img2DimsCode->pixmap();
        QCOMPARE(shown.size(), QSize(210, 210));
        QVERIFY(OnlyBlackAndWhite(shown.toImage()));
        DECODE_OR_SKIP(decoded, shown.toImage());
        QCOMPARE(decoded, quill::WebAddress());
    }
};

QTEST_MAIN(QrMatrixTest)
#include "qr_matrix_test.moc"
