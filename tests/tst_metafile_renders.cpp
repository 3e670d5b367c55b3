// Metafile pictures against reference renders.
//
// Every file under fixtures/metafiles/cases is played at its own size and as
// a part at another scale, and compared pixel for pixel with the renders kept
// in fixtures/metafiles/renders; its size and message with cases.tsv there.
// The references were checked by eye and by the pixels each case is about
// (fixtures/metafiles/README.md). After a deliberate change of drawing, run
// with TT_UPDATE_RENDERS=1 to write them anew, and look at what changed.

#include "pictures/metafile/font_match.h"
#include "pictures/metafile/metafile.h"
#include "pictures/picture.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

using namespace pictures::metafile;

namespace {

const QString kCases = QStringLiteral(TT_FIXTURES_DIR "/metafiles/cases/");
const QString kRenders = QStringLiteral(TT_FIXTURES_DIR "/metafiles/renders/");
const bool kUpdate = qEnvironmentVariableIsSet("TT_UPDATE_RENDERS");

// Where the part view puts the picture: half again as large, its origin
// moved so that the part starts inside it.
const View kPartView{1.5, QPointF(7, 5)};

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// One line of cases.tsv: size in pixels and twips, budget, message.
QString summary(const Rendered &r)
{
    const QString message = r.error.isEmpty() ? r.warning : r.error;
    return QStringLiteral("%1x%2\t%3x%4\t%5\t%6")
        .arg(r.image.width()).arg(r.image.height())
        .arg(r.extentTwips.width(), 0, 'f', 1).arg(r.extentTwips.height(), 0, 'f', 1)
        .arg(r.overBudget ? QStringLiteral("over budget") : QStringLiteral("-"), message);
}

QMap<QString, QString> expectedSummaries()
{
    QMap<QString, QString> lines;
    for (const QByteArray &line : readAll(kRenders + QStringLiteral("cases.tsv")).split('\n')) {
        const int tab = line.indexOf('\t');
        if (tab > 0)
            lines.insert(QString::fromUtf8(line.left(tab)), QString::fromUtf8(line.mid(tab + 1)));
    }
    return lines;
}

QImage partOf(const QByteArray &bytes, QSize size)
{
    QImage target((size * kPartView.scale).boundedTo(QSize(240, 240)), QImage::Format_ARGB32_Premultiplied);
    target.fill(Qt::transparent);
    pictures::WorkMeter meter;
    QString error;
    renderPart(bytes, &target, kPartView, &meter, pictures::kMaxPicturePixels, &error);
    return target;
}

// Empty when the images are the same; otherwise where they differ, with the
// render written beside the temporary folder for a look.
QString difference(const QImage &got, const QString &referenceName)
{
    const QImage want(kRenders + referenceName);
    const QImage have = got.convertToFormat(QImage::Format_ARGB32);
    if (kUpdate) {
        have.save(kRenders + referenceName);
        return {};
    }
    int count = 0;
    QPoint first(-1, -1);
    if (want.size() == have.size()) {
        const QImage w = want.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < have.height(); ++y)
            for (int x = 0; x < have.width(); ++x)
                if (w.pixel(x, y) != have.pixel(x, y) && count++ == 0)
                    first = QPoint(x, y);
        if (count == 0)
            return {};
    }
    const QString kept = QDir::temp().filePath(QStringLiteral("tt-render-") + referenceName);
    have.save(kept);
    return QStringLiteral("%1 differs from its reference (%2x%3 against %4x%5, %6 pixels, first at %7,%8); "
                          "the render is in %9")
        .arg(referenceName).arg(have.width()).arg(have.height()).arg(want.width()).arg(want.height())
        .arg(count).arg(first.x()).arg(first.y()).arg(kept);
}

} // namespace

class TestMetafileRenders : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void matchesItsReference_data();
    void matchesItsReference();
    void survivesByteDamage_data();
    void survivesByteDamage();

    void symbolFontCodes_data();
    void symbolFontCodes();
    void cleanupTestCase();

private:
    QMap<QString, QString> m_expected = expectedSummaries();
    QStringList m_updated;
};

void TestMetafileRenders::matchesItsReference_data()
{
    QTest::addColumn<QString>("file");
    QStringList files = QDir(kCases).entryList(QDir::Files, QDir::Name);
    QVERIFY(files.size() > 100);
    files << QStringLiteral("../libreoffice/drawing.emf") << QStringLiteral("../libreoffice/drawing.wmf");
    for (const QString &file : files)
        QTest::newRow(qPrintable(file)) << file;
}

void TestMetafileRenders::matchesItsReference()
{
    QFETCH(QString, file);
    const QByteArray bytes = readAll(kCases + file);
    const QString name = QFileInfo(file).fileName();
    const Rendered r = render(bytes, pictures::kMaxPicturePixels);

    const QString kind = QFileInfo(file).suffix();
    QCOMPARE(detect(bytes), kind == QLatin1String("emf") ? Format::Emf
                       : kind == QLatin1String("wmf") ? Format::Wmf : Format::None);
    QSize headerPixels;
    QSizeF headerTwips;
    QString headerError;
    // The header alone gives the size of every picture that plays.
    if (r.error.isEmpty()) {
        QVERIFY(pictureSize(bytes, &headerPixels, &headerTwips, &headerError));
        QCOMPARE(headerPixels, r.image.size());
        QCOMPARE(headerTwips, r.extentTwips);
    }

    if (kUpdate) {
        m_updated << file + QLatin1Char('\t') + summary(r);
    } else {
        QVERIFY2(m_expected.contains(file), "no line in cases.tsv");
        QCOMPARE(summary(r), m_expected.value(file));
    }
    if (!r.error.isEmpty())
        return;
    QString wrong = difference(r.image, name + QStringLiteral(".png"));
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
    if (r.image.width() * r.image.height() <= 40000) {
        wrong = difference(partOf(bytes, r.image.size()), name + QStringLiteral(".part.png"));
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
    }
}

void TestMetafileRenders::survivesByteDamage_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("emf") << "clip_art.emf";
    QTest::newRow("wmf") << "clip_art.wmf";
}

void TestMetafileRenders::survivesByteDamage()
{
    // Every variant ends in a refusal or in a picture of the header's size.
    QFETCH(QString, file);
    const QByteArray original = readAll(kCases + file);
    QVERIFY(!original.isEmpty());
    QRandomGenerator random(20240601);
    for (int round = 0; round < 300; ++round) {
        QByteArray bytes = original;
        for (int i = 0, changes = 1 + int(random.bounded(8)); i < changes; ++i)
            bytes[random.bounded(bytes.size())] = char(random.bounded(256));
        if (round % 10 == 0)
            bytes.truncate(random.bounded(bytes.size()));
        const Rendered r = render(bytes, pictures::kMaxPicturePixels);
        QSize pixels;
        QSizeF twips;
        QString error;
        if (!r.error.isEmpty()) {
            QVERIFY(r.image.isNull());
        } else {
            QVERIFY(pictureSize(bytes, &pixels, &twips, &error));
            QCOMPARE(r.image.size(), pixels);
        }
    }
}

void TestMetafileRenders::symbolFontCodes_data()
{
    QTest::addColumn<QString>("face");
    QTest::addColumn<QString>("codes");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letters are Greek") << "Symbol" << "DaS p" << QString::fromUtf8("ΔαΣ π");
    QTest::newRow("signs above 0x7f") << "Symbol" << QString::fromUtf8("\u00b4\u00d7\u00b3")
                                      << QString::fromUtf8("×⋅≥");
    QTest::newRow("codes moved to private use") << "Symbol" << QString::fromUtf8("\uf044\uf0b9")
                                                << QString::fromUtf8("Δ≠");
    QTest::newRow("picture font keeps its codes") << "Wingdings" << "J" << "J";
}

void TestMetafileRenders::symbolFontCodes()
{
    QFETCH(QString, face);
    QFETCH(QString, codes);
    QFETCH(QString, shown);
    Font font;
    font.charset = 2; // symbol
    font.face = face;
    QCOMPARE(symbolEncoded(font) ? fromSymbolCodes(codes) : codes, shown);
}

void TestMetafileRenders::cleanupTestCase()
{
    if (!kUpdate)
        return;
    QFile out(kRenders + QStringLiteral("cases.tsv"));
    QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(m_updated.join(QLatin1Char('\n')).toUtf8() + '\n');
}

QTEST_MAIN(TestMetafileRenders)
#include "tst_metafile_renders.moc"
