// qx_svgpreview: renders SVG pictures with Qt's own renderer, alone and composed the way the clock shows them.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QSvgRenderer>
#include <QTextStream>

#include <cmath>
#include <functional>
#include <numbers>

namespace {

QTextStream& err() {
    static QTextStream stream(stderr);
    return stream;
}

// Pictures of one folder, looked up by name without extension.
class Pictures {
public:
    explicit Pictures(QString dir) : dir_(std::move(dir)) {}

    bool has(const QString& name) const { return QFileInfo::exists(path(name)); }
    QString path(const QString& name) const { return dir_ + QLatin1Char('/') + name + QStringLiteral(".svg"); }

    QSizeF size(const QString& name) const { return QSvgRenderer(path(name)).defaultSize(); }

    // Draws the picture at its own size with its top left at `at`, in the painter's (possibly scaled) coordinates.
    void draw(QPainter& painter, const QString& name, QPointF at, QSizeF size = {}) const {
        QSvgRenderer renderer(path(name));
        if (!renderer.isValid()) {
            err() << "cannot read " << path(name) << Qt::endl;
            return;
        }
        renderer.render(&painter, QRectF(at, size.isEmpty() ? QSizeF(renderer.defaultSize()) : size));
    }

private:
    QString dir_;
};

QImage renderFile(const QString& file, double scale) {
    QSvgRenderer renderer(file);
    if (!renderer.isValid())
        return {};
    const QSize size = (QSizeF(renderer.defaultSize()) * scale).toSize();
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

// Each 100 % pixel as a block, to judge crispness.
QImage pixelZoom(const QImage& image, int factor) {
    return image.scaled(image.size() * factor); // nearest neighbour by default
}

bool save(const QImage& image, const QDir& out, const QString& name) {
    const QString file = out.filePath(name + QStringLiteral(".png"));
    if (!image.save(file)) {
        err() << "cannot write " << file << Qt::endl;
        return false;
    }
    return true;
}

using Scene = std::function<void(QPainter&)>;

// A composition painted at 100 %, at 300 % (vector) and as a 3× pixel zoom of the 100 % picture.
bool saveScene(const QDir& out, const QString& name, QSize size, const QColor& background, const Scene& scene) {
    bool ok = true;
    QImage plain;
    for (const int scale : {1, 3}) {
        QImage image(size * scale, QImage::Format_ARGB32_Premultiplied);
        image.fill(background);
        QPainter painter(&image);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
        painter.scale(scale, scale);
        scene(painter);
        painter.end();
        if (scale == 1)
            plain = image;
        ok = save(image, out, scale == 1 ? name : name + QStringLiteral("@3x")) && ok;
    }
    return save(pixelZoom(plain, 3), out, name + QStringLiteral("_px3")) && ok;
}

const QColor panelGreen(165, 173, 156);
const QColor windowGrey(192, 192, 192);
const QColor lcdInk(38, 44, 34);

// The offsets of the clock's large digit cells and the two small ones after them, within the row of digits.
constexpr int largeCells[] = {0, 64, 144, 208, 288, 352};
constexpr int smallCells[] = {416, 444};
constexpr int largeHeight = 59;
constexpr int smallHeight = 28;
constexpr int rowWidth = 444 + 25;

// The LCD panel the program paints over the face picture, with `text` ("12:34:56 78") in it.
void paintPanel(QPainter& painter, const Pictures& pictures, QRectF panel, const QString& text) {
    painter.save();
    painter.setPen(QPen(QColor(64, 64, 64), 2));
    painter.setBrush(panelGreen);
    painter.drawRoundedRect(panel.adjusted(1, 1, -1, -1), 6, 6);
    const QPointF origin(panel.left() + std::floor((panel.width() - rowWidth) / 2), panel.top() + 9);
    QString digits = text;
    digits.remove(QLatin1Char(':')).remove(QLatin1Char(' '));
    for (int i = 0; i < digits.size() && i < 8; ++i) {
        const bool large = i < 6;
        const QString name =
            QStringLiteral("lcd_%1_%2").arg(large ? QStringLiteral("large") : QStringLiteral("small")).arg(digits[i]);
        const QPointF at =
            large ? origin + QPointF(largeCells[i], 0) : origin + QPointF(smallCells[i - 6], largeHeight - smallHeight);
        pictures.draw(painter, name, at);
    }
    // The colons, slanted like the digits.
    painter.setPen(Qt::NoPen);
    painter.setBrush(lcdInk);
    for (const double x : {130.0, 274.0}) {
        for (const double y : {19.0, 40.0}) {
            const double slant = (largeHeight - y) * 0.07;
            QPolygonF dot;
            dot << QPointF(x - 3 + slant, y - 3) << QPointF(x + 3 + slant, y - 3) << QPointF(x + 3 + slant - 0.4, y + 3)
                << QPointF(x - 3 + slant - 0.4, y + 3);
            painter.drawPolygon(dot.translated(origin));
        }
    }
    QFont font(QStringLiteral("DejaVu Sans"), 7, QFont::Bold);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(origin.x(), origin.y() + largeHeight + 3, 116, 12), Qt::AlignCenter, QStringLiteral("ORE"));
    painter.drawText(QRectF(origin.x() + 144, origin.y() + largeHeight + 3, 116, 12), Qt::AlignCenter,
                     QStringLiteral("MINUTI"));
    painter.drawText(QRectF(origin.x() + 288, origin.y() + largeHeight + 3, 116, 12), Qt::AlignCenter,
                     QStringLiteral("SECONDI"));
    painter.restore();
}

const QStringList toolbarNames = {
    QStringLiteral("tb_lap"),     QStringLiteral("tb_mode"),        QStringLiteral("tb_start"),
    QStringLiteral("tb_stop"),    QStringLiteral("tb_reset"),       QStringLiteral("tb_analog"),
    QStringLiteral("tb_digital"), QStringLiteral("tb_options"),     QStringLiteral("tb_exit"),
    QStringLiteral("tb_cancel"),  QStringLiteral("tb_screensaver"), QStringLiteral("tb_mini")};

void paintToolbar(QPainter& painter, const Pictures& pictures, QPointF at, bool disabled) {
    for (int i = 0; i < toolbarNames.size(); ++i) {
        const QPointF cell = at + QPointF(4 + i * 54, 4);
        if (!pictures.has(toolbarNames[i]))
            continue;
        if (disabled) {
            // The greyed variant Qt makes on its own from the 100 % pixmap.
            const QImage image = renderFile(pictures.path(toolbarNames[i]), 1);
            const QIcon icon(QPixmap::fromImage(image));
            painter.drawPixmap(cell, icon.pixmap(QSize(48, 48), QIcon::Disabled));
        } else {
            pictures.draw(painter, toolbarNames[i], cell);
        }
    }
}

void paintHands(QPainter& painter, QPointF hub) {
    const auto hand = [&](double minutes, double length, double width, const QColor& colour) {
        const double angle = minutes / 60.0 * 2 * std::numbers::pi;
        const QPointF tip = hub + QPointF(std::sin(angle), -std::cos(angle)) * length;
        painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(hub, tip);
    };
    painter.save();
    painter.setBrush(QColor(252, 62, 157));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPointF(109, 69.7), 10, 10);
    painter.setPen(Qt::white);
    painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 7, QFont::Bold));
    painter.drawText(QRectF(99, 59.7, 20, 20), Qt::AlignCenter, QStringLiteral("24"));
    hand(10 * 5 + 1.8, 34, 4, Qt::white);
    hand(9, 50, 3, Qt::white);
    hand(37, 54, 1, QColor(252, 62, 157));
    painter.setBrush(QColor(252, 62, 157));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(hub, 3.5, 3.5);
    painter.restore();
}

bool composeAll(const Pictures& pictures, const QDir& out) {
    bool ok = true;
    const auto needs = [&](std::initializer_list<QString> names) {
        for (const QString& name : names)
            if (!pictures.has(name))
                return false;
        return true;
    };

    if (pictures.has(QStringLiteral("lcd_large_8"))) {
        const QStringList rows = {QStringLiteral("12:34:56 78"), QStringLiteral("10:17:21 90"),
                                  QStringLiteral("08:59:04 11"), QStringLiteral("11:11:11 17"),
                                  QStringLiteral("23:45:67 89")};
        ok = saveScene(out, QStringLiteral("compose_lcd"), QSize(497, 89 * int(rows.size())), windowGrey,
                       [&](QPainter& painter) {
                           for (int i = 0; i < rows.size(); ++i)
                               paintPanel(painter, pictures, QRectF(0, 89 * i, 497, 89), rows[i]);
                       }) &&
             ok;
    }

    if (needs({QStringLiteral("tb_start")})) {
        ok = saveScene(out, QStringLiteral("compose_toolbar"), QSize(662, 112), windowGrey,
                       [&](QPainter& painter) {
                           paintToolbar(painter, pictures, QPointF(0, 0), false);
                           paintToolbar(painter, pictures, QPointF(0, 56), true);
                       }) &&
             ok;
    }

    if (needs({QStringLiteral("quadrantix_face")})) {
        ok = saveScene(out, QStringLiteral("compose_window"), QSize(662, 263), windowGrey,
                       [&](QPainter& painter) {
                           paintToolbar(painter, pictures, QPointF(0, 0), false);
                           pictures.draw(painter, QStringLiteral("quadrantix_face"), QPointF(0, 56));
                           if (pictures.has(QStringLiteral("lcd_large_8")))
                               paintPanel(painter, pictures, QRectF(80, 80, 497, 89), QStringLiteral("12:34:56 78"));
                       }) &&
             ok;
    }

    if (needs({QStringLiteral("dial")})) {
        ok = saveScene(out, QStringLiteral("compose_dial"), QSize(236, 234), QColor(58, 110, 165),
                       [&](QPainter& painter) {
                           // The window is an ellipse inscribed in the picture.
                           painter.save();
                           painter.translate(10, 10);
                           QPainterPath shape;
                           shape.addEllipse(QRectF(0, 0, 216, 214));
                           painter.setClipPath(shape);
                           pictures.draw(painter, QStringLiteral("dial"), QPointF(0, 0));
                           paintHands(painter, QPointF(109, 107.5));
                           painter.restore();
                       }) &&
             ok;
        // Every pixel within 56 px of the hub that is not exactly the face colour, in red.
        QImage check = renderFile(pictures.path(QStringLiteral("dial")), 1).convertToFormat(QImage::Format_RGB32);
        int faults = 0;
        for (int y = 0; y < check.height(); ++y)
            for (int x = 0; x < check.width(); ++x) {
                const double r = std::hypot(x + 0.5 - 109, y + 0.5 - 107.5);
                if (r <= 56.0 && check.pixel(x, y) != qRgb(0, 102, 102)) {
                    check.setPixel(x, y, qRgb(255, 0, 0));
                    ++faults;
                } else if (r <= 56.0) {
                    check.setPixel(x, y, qRgb(0, 70, 70));
                }
            }
        err() << "dial: " << faults << " pixels within 56 px of the hub differ from the face colour" << Qt::endl;
        ok = save(check, out, QStringLiteral("check_dial")) && ok;
    }

    if (needs({QStringLiteral("logo")})) {
        ok = saveScene(out, QStringLiteral("compose_logo"), QSize(420, 240), windowGrey,
                       [&](QPainter& painter) {
                           pictures.draw(painter, QStringLiteral("logo"), QPointF(6, 6));
                           painter.fillRect(QRectF(240, 0, 180, 120), QColor(245, 245, 245));
                           painter.fillRect(QRectF(240, 120, 180, 120), QColor(30, 30, 34));
                           for (const double y : {10.0, 130.0}) {
                               pictures.draw(painter, QStringLiteral("logo"), QPointF(250, y), QSizeF(48, 48));
                               pictures.draw(painter, QStringLiteral("logo"), QPointF(310, y), QSizeF(32, 32));
                               if (pictures.has(QStringLiteral("logo_small"))) {
                                   pictures.draw(painter, QStringLiteral("logo_small"), QPointF(250, y + 60),
                                                 QSizeF(48, 48));
                                   pictures.draw(painter, QStringLiteral("logo_small"), QPointF(310, y + 60));
                               }
                           }
                       }) &&
             ok;
    }

    if (needs({QStringLiteral("fireworks")})) {
        ok = saveScene(
                 out, QStringLiteral("compose_fireworks"), QSize(317, 421), windowGrey,
                 [&](QPainter& painter) {
                     pictures.draw(painter, QStringLiteral("fireworks"), QPointF(0, 0));
                     // The greeting is printed across the middle in dark blue.
                     painter.setPen(QColor(0, 0, 128));
                     painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 16, QFont::Bold));
                     painter.drawText(QRectF(0, 150, 317, 40), Qt::AlignCenter, QStringLiteral("Buon compleanno!"));
                     painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 10));
                     painter.setPen(Qt::black);
                     painter.drawText(QRectF(10, 190, 297, 80), Qt::AlignHCenter | Qt::TextWordWrap,
                                      QStringLiteral("Oggi, 24 dicembre, Quadrantix ti augura una splendida giornata "
                                                     "e un anno pieno di momenti felici."));
                 }) &&
             ok;
    }

    // Pointers on light, dark and face backgrounds, with the hot spot marked in the zoomed picture.
    const QList<std::pair<QString, QPoint>> pointers = {{QStringLiteral("pointer_face"), QPoint(15, 15)},
                                                        {QStringLiteral("logo_small"), QPoint(16, 16)}};
    for (const auto& [name, hotspot] : pointers) {
        if (!pictures.has(name))
            continue;
        ok = saveScene(out, QStringLiteral("compose_") + name, QSize(160, 48), windowGrey,
                       [&](QPainter& painter) {
                           const QColor grounds[] = {QColor(250, 250, 250), QColor(20, 20, 24), QColor(0, 102, 102),
                                                     QColor(165, 173, 156)};
                           for (int i = 0; i < 4; ++i) {
                               painter.fillRect(QRectF(i * 40, 0, 40, 48), grounds[i]);
                               pictures.draw(painter, name, QPointF(i * 40 + 4, 8));
                           }
                           painter.setPen(QPen(Qt::red, 0));
                           painter.drawPoint(QPointF(4 + hotspot.x() + 0.5, 8 + hotspot.y() + 0.5));
                       }) &&
             ok;
    }
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Renders SVG pictures with QSvgRenderer to PNG at 100 % and 300 %; given a folder, also composes the "
        "clock's digits, toolbar, face, dial, logo and pointers as the programs show them."));
    parser.addHelpOption();
    parser.addOption({{QStringLiteral("o"), QStringLiteral("output")},
                      QStringLiteral("Folder for the PNG files (default: svgpreview)."),
                      QStringLiteral("folder"),
                      QStringLiteral("svgpreview")});
    parser.addPositionalArgument(QStringLiteral("paths"),
                                 QStringLiteral("SVG files or folders (default: the source assets folder)."));
    parser.process(app);

    QStringList paths = parser.positionalArguments();
    if (paths.isEmpty())
        paths << QStringLiteral(QX_ASSETS_DIR);
    QDir out(parser.value(QStringLiteral("output")));
    if (!out.mkpath(QStringLiteral("."))) {
        err() << "cannot create " << out.path() << Qt::endl;
        return 1;
    }

    bool ok = true;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        QStringList files;
        if (info.isDir()) {
            for (const QFileInfo& file : QDir(path).entryInfoList({QStringLiteral("*.svg")}, QDir::Files, QDir::Name))
                files << file.filePath();
        } else {
            files << path;
        }
        for (const QString& file : files) {
            const QString base = QFileInfo(file).completeBaseName();
            const QImage plain = renderFile(file, 1);
            if (plain.isNull()) {
                err() << file << ": not a valid SVG picture" << Qt::endl;
                ok = false;
                continue;
            }
            ok = save(plain, out, base) && ok;
            ok = save(renderFile(file, 3), out, base + QStringLiteral("@3x")) && ok;
        }
        if (info.isDir())
            ok = composeAll(Pictures(info.absoluteFilePath()), out) && ok;
    }
    return ok ? 0 : 1;
}
