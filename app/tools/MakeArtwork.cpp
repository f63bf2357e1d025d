// Draws the program's pictures and writes them as PNG files into the folder
// given on the command line: the 400 x 80 banner (132) and the 32 x 32 icons
// 128 (About), 129 (application), 136 (melodies) and 137 (pictures).
// Run it by hand when the artwork changes; the PNG files are kept with the
// sources. "--app-icon SIZE FILE" draws the application icon at SIZE x SIZE
// pixels instead, for the desktop's icon theme (made by the build), and
// "--app-icon scalable FILE" draws it as an SVG picture.

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QSvgGenerator>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const QColor kDeep(0x0b, 0x3d, 0x5c);
const QColor kTeal(0x1f, 0x8a, 0x8a);
const QColor kAmber(0xf2, 0xa5, 0x3a);
const QColor kPaper(0xf7, 0xf3, 0xe8);

QImage NewIcon(int size = 32) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

void RoundedTile(QPainter& p, const QColor& top, const QColor& bottom) {
    QLinearGradient gradient(0, 0, 0, 32);
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    p.setPen(QPen(bottom.darker(140), 1));
    p.setBrush(gradient);
    p.drawRoundedRect(QRectF(1.5, 1.5, 29, 29), 6, 6);
}

// A quill: a curved vane with its shaft, from the lower left to the upper right.
void Quill(QPainter& p, QRectF box, const QColor& vane, const QColor& shaft) {
    const auto at = [&](double x, double y) {
        return QPointF(box.left() + x * box.width(), box.top() + y * box.height());
    };
    QPainterPath feather(at(0.18, 0.92));
    feather.cubicTo(at(0.25, 0.45), at(0.55, 0.12), at(0.92, 0.05));
    feather.cubicTo(at(0.85, 0.40), at(0.60, 0.70), at(0.28, 0.80));
    feather.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(vane);
    p.drawPath(feather);
    p.setPen(QPen(shaft, box.width() / 24.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(at(0.10, 0.98), at(0.80, 0.18));
}

void EighthNote(QPainter& p, QPointF head, double size, const QColor& color) {
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.save();
    p.translate(head);
    p.rotate(-20);
    p.drawEllipse(QRectF(-size * 0.32, -size * 0.22, size * 0.64, size * 0.44));
    p.restore();
    p.setPen(QPen(color, size / 9.0));
    const QPointF top(head.x() + size * 0.27, head.y() - size * 1.05);
    p.drawLine(QPointF(head.x() + size * 0.27, head.y() - size * 0.08), top);
    QPainterPath flag(top);
    flag.cubicTo(top + QPointF(size * 0.05, size * 0.35), top + QPointF(size * 0.5, size * 0.35),
                 top + QPointF(size * 0.35, size * 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawPath(flag);
}

QImage Banner() {
    QImage image(400, 80, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 400, 80);
    sky.setColorAt(0, kDeep);
    sky.setColorAt(1, kTeal);
    p.fillRect(image.rect(), sky);

    // A handset with a melody and a small picture on its screen.
    p.setPen(QPen(kPaper, 2));
    p.setBrush(kDeep.darker(130));
    p.drawRoundedRect(QRectF(18, 8, 38, 64), 7, 7);
    p.setBrush(kPaper);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(23, 15, 28, 30), 2, 2);
    EighthNote(p, QPointF(32, 38), 16, kDeep);
    p.setBrush(kAmber);
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            if ((row + col) % 2 == 0)
                p.drawRect(QRectF(41 + col * 2.7, 18 + row * 2.7, 2.4, 2.4));
    p.setBrush(kPaper.darker(115));
    for (int key = 0; key < 6; ++key)
        p.drawEllipse(QRectF(25 + (key % 3) * 9, 51 + (key / 3) * 8, 6, 5));

    // Signal arcs from the handset towards the name.
    p.setBrush(Qt::NoBrush);
    for (int arc = 0; arc < 3; ++arc) {
        p.setPen(QPen(QColor(255, 255, 255, 200 - arc * 50), 2));
        const double r = 8 + arc * 7;
        p.drawArc(QRectF(62 - r, 40 - r, 2 * r, 2 * r), -45 * 16, 90 * 16);
    }

    QFont title(QStringLiteral("DejaVu Sans"));
    title.setPixelSize(21);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QPointF(96, 40), QStringLiteral("Corvane EMS Converter"));
    QFont subtitle(QStringLiteral("DejaVu Sans"));
    subtitle.setPixelSize(11);
    p.setFont(subtitle);
    p.setPen(kPaper);
    p.drawText(QPointF(98, 62), QStringLiteral("Smart Messaging melodies and pictures to EMS"));
    p.setPen(QPen(kAmber, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(98, 47), QPointF(150, 47));
    p.end();
    return image.convertToFormat(QImage::Format_RGB888);
}

QImage AboutIcon() {
    QImage image = NewIcon();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kDeep, 1));
    p.setBrush(kPaper);
    p.drawRect(QRectF(4.5, 3.5, 19, 25));
    p.setPen(QPen(kTeal, 1.5));
    for (int line = 0; line < 4; ++line)
        p.drawLine(QPointF(8, 9 + line * 5), QPointF(20 - (line % 2) * 4, 9 + line * 5));
    Quill(p, QRectF(10, 2, 21, 28), kAmber, kDeep);
    return image;
}

// The application icon, drawn on the 32 x 32 grid.
void DrawAppIcon(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    RoundedTile(p, kTeal, kDeep);
    // An envelope with a quill across it: a message being rewritten.
    p.setPen(QPen(kDeep, 1));
    p.setBrush(kPaper);
    p.drawRect(QRectF(5.5, 11.5, 21, 14));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({QPointF(5.5, 11.5), QPointF(16, 19.5), QPointF(26.5, 11.5)}));
    Quill(p, QRectF(12, 3, 17, 20), kAmber, kPaper);
}

QImage AppIcon(int size = 32) {
    QImage image = NewIcon(size);
    QPainter p(&image);
    p.scale(size / 32.0, size / 32.0);
    DrawAppIcon(p);
    return image;
}

bool WriteScalableAppIcon(const QString& path) {
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setSize(QSize(32, 32));
    svg.setViewBox(QRect(0, 0, 32, 32));
    svg.setTitle(QStringLiteral("Quillmere"));
    svg.setDescription(QStringLiteral("An envelope with a quill across it"));
    QPainter p;
    if (!p.begin(&svg))
        return false;
    DrawAppIcon(p);
    return p.end();
}

QImage MelodyIcon() {
    QImage image = NewIcon();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    RoundedTile(p, kAmber.lighter(115), kAmber.darker(130));
    EighthNote(p, QPointF(13, 23), 17, kDeep);
    p.setPen(QPen(kPaper, 1.5));
    p.drawArc(QRectF(18, 8, 10, 10), -60 * 16, 120 * 16);
    return image;
}

QImage PictureIcon() {
    QImage image = NewIcon();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    RoundedTile(p, QColor(0x7c, 0xc5, 0x76), QColor(0x2e, 0x7d, 0x32));
    // A tiny monochrome logo on a handset screen.
    p.setPen(Qt::NoPen);
    p.setBrush(kPaper);
    p.drawRect(QRectF(5, 8, 22, 16));
    static const char* const rows[] = {"0110110", "1001001", "1000001", "0100010", "0011100"};
    p.setBrush(kDeep);
    for (int row = 0; row < 5; ++row)
        for (int col = 0; col < 7; ++col)
            if (rows[row][col] == '1')
                p.drawRect(QRectF(7 + col * 2.6, 9.5 + row * 2.6, 2.4, 2.4));
    return image;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    if (argc == 4 && std::strcmp(argv[1], "--app-icon") == 0 &&
        std::strcmp(argv[2], "scalable") == 0) {
        if (!WriteScalableAppIcon(QString::fromLocal8Bit(argv[3]))) {
            std::fprintf(stderr, "could not write %s\n", argv[3]);
            return 1;
        }
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "--app-icon") == 0) {
        const int size = std::atoi(argv[2]);
        if (size < 16 || size > 1024 || !AppIcon(size).save(QString::fromLocal8Bit(argv[3]))) {
            std::fprintf(stderr, "could not write %s at %s pixels\n", argv[3], argv[2]);
            return 1;
        }
        return 0;
    }
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: %s FOLDER [PREVIEW.png]\n", argv[0]);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    const struct {
        const char* name;
        QImage image;
    } pictures[] = {{"128.png", AboutIcon()},
                    {"129.png", AppIcon()},
                    {"132.png", Banner()},
                    {"136.png", MelodyIcon()},
                    {"137.png", PictureIcon()}};
    for (const auto& picture : pictures) {
        const QString path = folder.filePath(QString::fromUtf8(picture.name));
        if (!picture.image.save(path)) {
            std::fprintf(stderr, "could not write %s\n", qPrintable(path));
            return 1;
        }
    }
    if (argc == 3) {
        // The icons four times enlarged beside the banner, to judge them.
        QImage sheet(560, 80 + 8 + 128, QImage::Format_RGB32);
        sheet.fill(Qt::lightGray);
        QPainter p(&sheet);
        p.drawImage(0, 0, pictures[2].image);
        int x = 0;
        for (const auto& picture : pictures) {
            if (picture.image.width() != 32)
                continue;
            p.drawImage(QRect(x, 88, 128, 128), picture.image);
            x += 136;
            if (x + 128 > sheet.width())
                break;
        }
        p.end();
        sheet.save(QString::fromLocal8Bit(argv[2]));
    }
    return 0;
}
