// SPDX-License-Identifier: MIT
// The installed timecode library as an outside project meets it: installed
// into a scratch prefix, then a tiny project found through the CMake package
// and through pkg-config, configured, built and run.
#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace
{

const QString cmake = QStringLiteral(HORODEX_CMAKE);

// Runs a program to its end; the output comes back for the failure message.
bool run(const QString& program, const QStringList& arguments, QString& output,
    const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool finished = process.waitForFinished(240000);
    output = program + QLatin1Char(' ') + arguments.join(QLatin1Char(' ')) + QLatin1Char('\n')
        + QString::fromLocal8Bit(process.readAll());
    return finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

} // namespace

class tst_Consumer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void buildsAgainstInstall_data();
    void buildsAgainstInstall();

private:
    QTemporaryDir m_dir;
    QString m_prefix;
};

void tst_Consumer::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_prefix = m_dir.filePath(QStringLiteral("stage"));
    QString output;
    QVERIFY2(run(cmake,
                 { "--install", QStringLiteral(HORODEX_BUILD_DIR), "--prefix", m_prefix, "--component",
                     "libhorodex-timecode-dev" },
                 output),
        qPrintable(output));
}

void tst_Consumer::buildsAgainstInstall_data()
{
    QTest::addColumn<bool>("pkgConfig");
    QTest::addColumn<QString>("foundAt"); // the cache entry that says where the library was found
    QTest::newRow("find_package(HorodexTimecode)") << false << QStringLiteral("HorodexTimecode_DIR:PATH=");
    QTest::newRow("pkg-config horodex-timecode")
        << true << QStringLiteral("HorodexTimecode_INCLUDE_DIRS:INTERNAL=");
}

void tst_Consumer::buildsAgainstInstall()
{
    QFETCH(bool, pkgConfig);
    QFETCH(QString, foundAt);
    if (pkgConfig && QStandardPaths::findExecutable(QStringLiteral("pkg-config")).isEmpty())
        QSKIP("pkg-config is not installed");

    const QString build = m_dir.filePath(pkgConfig ? QStringLiteral("pc") : QStringLiteral("cmake"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Only the scratch prefix, so that an installed package cannot stand in for it.
    environment.insert(QStringLiteral("PKG_CONFIG_LIBDIR"),
        m_prefix + QStringLiteral("/" HORODEX_LIBDIR "/pkgconfig"));
    environment.remove(QStringLiteral("PKG_CONFIG_PATH"));

    QStringList configure { "-S", QStringLiteral(HORODEX_CONSUMER_DIR), "-B", build,
        "-DCMAKE_BUILD_TYPE=Release", "-DCMAKE_CXX_COMPILER=" HORODEX_CXX,
        "-DCMAKE_PREFIX_PATH=" + m_prefix, "-DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF",
        "-DCMAKE_FIND_USE_SYSTEM_PACKAGE_REGISTRY=OFF",
        // A sanitizer build's library needs the sanitizer runtimes at link time.
        "-DCMAKE_EXE_LINKER_FLAGS=" HORODEX_LINK_FLAGS,
        pkgConfig ? QStringLiteral("-DUSE_PKG_CONFIG=ON") : QStringLiteral("-DUSE_PKG_CONFIG=OFF") };
    QString output;
    QVERIFY2(run(cmake, configure, output, environment), qPrintable(output));
    QVERIFY2(run(cmake, { "--build", build }, output, environment), qPrintable(output));

    // Found in the scratch prefix, not in the source tree or a system install.
    QFile cache(build + QStringLiteral("/CMakeCache.txt"));
    QVERIFY(cache.open(QIODevice::ReadOnly));
    const QString cacheText = QString::fromUtf8(cache.readAll());
    QVERIFY2(cacheText.contains(foundAt + m_prefix), qPrintable(cacheText));
    QVERIFY(!cacheText.contains(QStringLiteral(HORODEX_SOURCE_DIR "/timecode")));

    QVERIFY2(run(build + QStringLiteral("/consumer"), {}, output), qPrintable(output));
    QVERIFY2(output.contains(QStringLiteral("is frame 107892")), qPrintable(output));
}

QTEST_GUILESS_MAIN(tst_Consumer)
#include "tst_consumer.moc"
