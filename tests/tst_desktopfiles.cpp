// SPDX-License-Identifier: MIT
// The files that carry Horodex onto a desktop: checked by the desktop's own
// validators where they are installed, and against each other, since a
// renamed id or a mis-rendered icon breaks the menu entry without a build error.
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace
{

const QString appDir = QStringLiteral(HORODEX_APP_DIR);
const QString appId = QStringLiteral("example.horodex.Horodex");
const QString tapeDir = QStringLiteral(HORODEX_TAPE_DIR);
const QString tapeId = QStringLiteral("example.horodex.HorodexTape");

QString desktopFile()
{
    return appDir + QLatin1Char('/') + appId + QStringLiteral(".desktop");
}
QString metainfoFile()
{
    // Configured into the build tree, where the release entry has the project version.
    return QStringLiteral(HORODEX_METAINFO);
}

QString desktopValue(const QString& key, const QString& path = desktopFile())
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return QString();
    const QByteArray prefix = key.toLatin1() + '=';
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (line.startsWith(prefix)) return QString::fromUtf8(line.mid(prefix.size()));
    }
    return QString();
}

} // namespace

class tst_DesktopFiles : public QObject
{
    Q_OBJECT

private slots:
    void validators_data();
    void validators();
    void desktopEntryMatchesMetainfo();
    void iconSizes_data();
    void iconSizes();
    void windowsIconGroup();
    void tapeOpensEdls();
};

void tst_DesktopFiles::validators_data()
{
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QStringList>("arguments");

    QTest::newRow("desktop entry passes desktop-file-validate")
        << QStringLiteral("desktop-file-validate") << QStringList { desktopFile() };
    QTest::newRow("metainfo passes appstreamcli validate")
        << QStringLiteral("appstreamcli") << QStringList { "validate", "--no-net", metainfoFile() };
    QTest::newRow("tape desktop entry passes desktop-file-validate")
        << QStringLiteral("desktop-file-validate") << QStringList { tapeDir + '/' + tapeId + ".desktop" };
    QTest::newRow("tape metainfo passes appstreamcli validate") << QStringLiteral(
        "appstreamcli") << QStringList { "validate", "--no-net", QStringLiteral(HORODEX_TAPE_METAINFO) };
}

void tst_DesktopFiles::validators()
{
    QFETCH(QString, tool);
    QFETCH(QStringList, arguments);

    const QString path = QStandardPaths::findExecutable(tool);
    if (path.isEmpty()) QSKIP(qPrintable(tool + QStringLiteral(" is not installed")));

    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(path, arguments);
    QVERIFY(process.waitForFinished(60000));
    const QString output = QString::fromUtf8(process.readAll());
    QVERIFY2(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0, qPrintable(output));
    // Both tools exit 0 on warnings; a warning still hides the entry from some software centres.
    QVERIFY2(!output.contains(QStringLiteral("warning"), Qt::CaseInsensitive), qPrintable(output));
}

void tst_DesktopFiles::desktopEntryMatchesMetainfo()
{
    QFile file(metainfoFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString metainfo = QString::fromUtf8(file.readAll());

    QVERIFY(metainfo.contains(QStringLiteral("<id>") + appId + QStringLiteral("</id>")));
    QVERIFY(metainfo.contains(QStringLiteral("<launchable type=\"desktop-id\">") + appId
        + QStringLiteral(".desktop</launchable>")));
    QCOMPARE(desktopValue(QStringLiteral("Icon")), appId);
    // The installed binary is the executable target; a path here would break relocated installs.
    QCOMPARE(desktopValue(QStringLiteral("Exec")), QStringLiteral("horodex"));
    QVERIFY(metainfo.contains(QStringLiteral("<binary>horodex</binary>")));
}

void tst_DesktopFiles::iconSizes_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("pattern");
    for (int size : { 16, 22, 24, 32, 48, 64, 128, 256 }) {
        QTest::addRow("%d pixel icon", size) << size << appDir + QStringLiteral("/icons/horodex-%1.png");
        QTest::addRow("%d pixel tape icon", size)
            << size << tapeDir + QStringLiteral("/icons/horodex-tape-%1.png");
    }
}

void tst_DesktopFiles::iconSizes()
{
    QFETCH(int, size);
    QFETCH(QString, pattern);

    const QImage icon(pattern.arg(size));
    QVERIFY2(!icon.isNull(), "missing or unreadable");
    QCOMPARE(icon.size(), QSize(size, size));
    QVERIFY(icon.hasAlphaChannel());
    // The corners lie outside the round face and must stay transparent on any panel colour.
    QCOMPARE(qAlpha(icon.pixel(0, size - 1)), 0);
    QCOMPARE(qAlpha(icon.pixel(size - 1, size - 1)), 0);
    // The centre of the face is opaque artwork, not an empty render.
    QCOMPARE(qAlpha(icon.pixel(size / 2, size / 2 + size / 16)), 255);
}

void tst_DesktopFiles::windowsIconGroup()
{
    QImageReader reader(appDir + QStringLiteral("/icons/horodex.ico"), "ico");
    if (!reader.canRead() && !QImageReader::supportedImageFormats().contains("ico"))
        QSKIP("this Qt has no ICO image plugin");
    QList<QSize> sizes;
    do {
        const QImage image = reader.read();
        QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
        sizes << image.size();
    } while (reader.jumpToNextImage());
    QCOMPARE(sizes, (QList<QSize> { { 48, 48 }, { 32, 32 }, { 16, 16 } }));
}

// The tape's MIME package gives EDLs and timelines their types, and its entry takes files of them.
void tst_DesktopFiles::tapeOpensEdls()
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("update-mime-database"));
    if (tool.isEmpty()) QSKIP("update-mime-database is not installed");
    // A data directory of its own, so that the tool neither touches the system's nor notes
    // that the folder is off the search path; it says nothing unless the XML is bad.
    QTemporaryDir data;
    QVERIFY(QDir(data.path()).mkpath(QStringLiteral("mime/packages")));
    QVERIFY(
        QFile::copy(tapeDir + '/' + tapeId + ".mime.xml", data.filePath("mime/packages/" + tapeId + ".xml")));
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), data.path());
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(tool, { data.filePath(QStringLiteral("mime")) });
    QVERIFY(process.waitForFinished(60000));
    const QString output = QString::fromUtf8(process.readAll());
    QVERIFY2(process.exitCode() == 0 && output.isEmpty(), qPrintable(output));
    QFile globs(data.filePath(QStringLiteral("mime/globs2")));
    QVERIFY(globs.open(QIODevice::ReadOnly));
    const QByteArray patterns = globs.readAll();
    for (const char* glob :
        { ":text/x-edl:*.edl", ":application/x-fcpxml:*.fcpxml", ":application/x-otio:*.otio",
            ":text/x-ale:*.ale", ":application/x-subrip:*.srt", ":text/vtt:*.vtt" })
        QVERIFY2(patterns.contains(glob), glob);
    QFile xml(data.filePath(QStringLiteral("mime/XMLnamespaces")));
    QVERIFY(xml.open(QIODevice::ReadOnly));
    const QByteArray roots = xml.readAll();
    QVERIFY(roots.contains(" fcpxml application/x-fcpxml") && roots.contains(" xmeml application/x-xmeml"));

    const QString entry = tapeDir + '/' + tapeId + ".desktop";
    QCOMPARE(desktopValue(QStringLiteral("MimeType"), entry),
        QStringLiteral("text/x-edl;application/x-fcpxml;application/x-xmeml;application/x-otio;text/x-ale;"
                       "application/x-subrip;text/vtt;"));
    QCOMPARE(desktopValue(QStringLiteral("Exec"), entry), QStringLiteral("horodex-tape %F"));
}

QTEST_GUILESS_MAIN(tst_DesktopFiles)
#include "tst_desktopfiles.moc"
