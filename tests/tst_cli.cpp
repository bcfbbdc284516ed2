// SPDX-License-Identifier: MIT
// The built horodex-tc as scripts meet it: its arguments, standard input,
// standard output, messages and exit status.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace
{

struct Run {
    QByteArray out;
    QByteArray err;
    int status = -1;
};

// A first argument "HORODEX_RATE=..." goes to the environment instead.
Run run(QStringList arguments, const QByteArray& input = {})
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("HORODEX_RATE"));
    if (!arguments.isEmpty() && arguments.first().startsWith(QLatin1String("HORODEX_RATE=")))
        env.insert(QStringLiteral("HORODEX_RATE"), arguments.takeFirst().mid(13));
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(HORODEX_TC_EXE), arguments);
    if (!p.waitForStarted(10000)) return {};
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(30000)) p.kill();
    Run r;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return r;
}

// Every line of output as one JSON value, in an array.
QJsonArray jsonLines(const QByteArray& out)
{
    QJsonArray lines;
    for (const QByteArray& line : out.split('\n')) {
        if (line.isEmpty()) continue;
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson("[" + line + "]", &error);
        lines.append(error.error == QJsonParseError::NoError ? doc.array().at(0) : QJsonValue(QString(line)));
    }
    return lines;
}

} // namespace

class tst_Cli : public QObject
{
    Q_OBJECT

private slots:
    void text_data();
    void text();
    void json_data();
    void json();
    void sumFiles();
    void ownRatesAndOrder();
    void helpAndVersion();
    void manPageExamples();
    void answersBeforeInputEnds();
};

void tst_Cli::text_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<QByteArray>("message"); // part of standard error; empty: nothing there
    QTest::addColumn<int>("status");
    // Everything read, nothing said.
    auto prints
        = [](const char* tag, const QStringList& args, const QByteArray& input, const QByteArray& output) {
              QTest::newRow(tag) << args << input << output << QByteArray() << 0;
          };
    // Nothing written but the message.
    auto fails = [](const char* tag, const QStringList& args, const QByteArray& message, int status) {
        QTest::newRow(tag) << args << QByteArray() << QByteArray() << message << status;
    };
    // The rest still written, in step with the input.
    auto leavesOut
        = [](const char* tag, const QStringList& args, const QByteArray& input, const QByteArray& output,
              const QByteArray& message) { QTest::newRow(tag) << args << input << output << message << 1; };

    // Expressions.
    prints("two times added", { "01:00:00:00", "+", "00:00:10:12" }, {}, "01:00:10:12\n");
    prints("one argument, named", { "calc", "01:00:00:00 + 12" }, {}, "01:00:00:12\n");
    prints("a number outside * and / is a duration", { "00:00:00:00 + 1.5 + 12" }, {}, "00:00:01:17\n");
    prints("precedence", { "00:00:01:00 + 00:00:01:00 * 2" }, {}, "00:00:03:00\n");
    prints("number first, and parentheses", { "2 * (00:00:01:00 - 00:00:00:10)" }, {}, "00:00:01:10\n");
    prints("each step rounds, halves away from zero", { "--", "-00:00:00:03 / 2 * 3" }, {}, "-00:00:00:06\n");
    prints("rate from the environment", { "HORODEX_RATE=25", "00:00:00:24 + 1" }, {}, "00:00:01:00\n");
    prints("the option beats the environment", { "HORODEX_RATE=25", "-r", "30", "00:00:00:24 + 1" }, {},
        "00:00:00:25\n");
    prints("verbose", { "-v", "-r", "29.97df", "01:00:00;00" }, {}, "01:00:00;00  107892  0:59:59.996\n");
    prints("blanks inside a term separate its groups", { "1h 30m + 01 00 00 00" }, {}, "02:30:00:00\n");
    prints("a lone number is a frame count at drop frame", { "-r", "29.97df", "17982" }, {}, "00:10:00;00\n");
    fails("a carry onto a label drop frame skips", { "-r", "29.97df", "00:00:60;00 + 1" },
        "horodex-tc: column 1: 00:01:00;00 does not exist at 29.97df\n", 1);
    fails("stray character", { "01:00 + x" }, "horodex-tc: column 9: unexpected 'x'\n", 1);
    fails("column counts characters", { "\xc3\xa9 + 1" }, "column 1: unexpected '\xc3\xa9'", 1);
    fails("two durations multiplied", { "00:00:01:00 * 00:00:02:00" }, "column 13: cannot multiply", 1);
    fails("two numbers multiplied", { "2 * 3" }, "cannot multiply two numbers", 1);
    fails("division by a duration", { "00:00:01:00 / 00:00:00:02" }, "cannot divide by a duration", 1);
    fails("division by zero", { "00:00:01:00 / 0.0" }, "column 15: division by zero", 1);
    fails("unclosed parenthesis", { "(1 + 2" }, "column 1: missing ')'", 1);
    fails("missing operator", { "(1) 2" }, "column 5: missing operator before '2'", 1);
    fails("operator at the end", { "1 +" }, "column 4: unexpected end", 1);
    fails("deep nesting", { QString(100000, '(') + "1" }, "nested too deeply", 1);
    fails("overflow", { "99999999999:00:00:00 * 1000" }, "out of range", 1);

    // Usage errors.
    const QByteArray hint = "Try 'horodex-tc --help' for more information.\n";
    fails("unknown option", { "--frobnicate", "1" }, "unknown option '--frobnicate'\n" + hint, 2);
    fails("negative value without --", { "label", "-25" }, "put '--' before negative values", 2);
    fails("an option after the first operand is an operand", { "1", "-r" }, "unexpected 'r'", 1);
    fails("missing timebase", { "label", "-r" }, "option '-r' needs a timebase\n" + hint, 2);
    fails("unknown timebase", { "-r", "fast", "1" }, "unknown timebase 'fast'", 2);
    fails("unknown timebase in the environment", { "HORODEX_RATE=fast", "1" }, "in HORODEX_RATE", 2);
    fails("no expression", { "-v" }, "missing expression", 2);
    fails("unknown command", { "total", "a.edl" }, "unknown command 'total'\n" + hint, 2);
    fails("convert without --to", { "convert", "1" }, "convert needs --to", 2);
    fails("--realtime outside frames", { "label", "--realtime", "1" }, "frames only", 2);

    // Values by argument and by line.
    prints("label", { "-r", "25", "label", "--", "-25", "90000" }, {}, "-00:00:01:00\n01:00:00:00\n");
    prints("options after the subcommand", { "label", "-r", "25", "-v", "25" }, {},
        "00:00:01:00  25  0:00:01.000\n");
    prints("standard input: a mark, CRLF, blanks, an empty line kept", { "-r", "25", "label" },
        "\xEF\xBB\xBF"
        "0\r\n\n  -1 \n1",
        "00:00:00:00\n\n-00:00:00:01\n00:00:00:01\n");
    prints("LF, CR and CRLF mixed", { "label" }, "1\n2\r3\r\n", "00:00:00:01\n00:00:00:02\n00:00:00:03\n");
    prints("UTF-16 with its mark", { "label" },
        QByteArray("\xFF\xFE"
                   "1\0\r\0"
                   "2\0",
            8),
        "00:00:00:01\n00:00:00:02\n");
    leavesOut("a bad line", { "-r", "25", "label" }, "0\nx\n1\n", "00:00:00:00\n\n00:00:00:01\n",
        "horodex-tc: line 2, column 1: unexpected 'x'\n");
    leavesOut("a Windows-1252 character", { "label" },
        "\x93"
        "1\n",
        "\n", "horodex-tc: line 1, column 1: unexpected '\xE2\x80\x9C'\n");
    leavesOut("a line too long", { "label" }, QByteArray(1 << 20, '1') + "1\n2\n", "\n00:00:00:02\n",
        "horodex-tc: line 1: line too long\n");
    leavesOut("frame count past 64 bits", { "label", "9223372036854775808" }, {}, "\n",
        "argument 1, column 1: value out");
    prints("frames", { "-r", "29.97df", "frames", "01:00:00;00", "1h", "-12f" }, {}, "107892\n107892\n-12\n");
    prints("frames of running times", { "-r", "29.97df", "frames", "--realtime", "0:59:59.996", "90.5" }, {},
        "107892\n2712\n");
    leavesOut("a bad argument among good ones", { "frames", "1:00", "1x:00", "2" }, {}, "30\n\n2\n",
        "horodex-tc: argument 2, column 2: unexpected 'x'\n");
    prints("'-' reads standard input in place", { "frames", "1", "-", "2" }, "3\n4\n", "1\n3\n4\n2\n");
    prints("frame counts by line at drop frame", { "-r", "29.97df", "frames" }, "17982\n", "17982\n");
    leavesOut("frames of a label drop frame skips", { "-r", "29.97df", "frames", "00:01:00;00" }, {}, "\n",
        "horodex-tc: argument 1, column 1: 00:01:00;00 does not exist at 29.97df\n");
    prints("realtime", { "-r", "29.97df", "realtime", "01:00:00;00" }, {}, "0:59:59.996\n");
    prints("realtime of a frame count at drop frame", { "-r", "59.94df", "realtime", "3600" }, {},
        "0:01:00.060\n");
    prints("convert a frame count at drop frame",
        { "-r", "29.97df", "convert", "--to", "29.97", "--", "-1800f" }, {}, "-00:01:00:00\n");
    prints("convert by running time", { "-r", "29.97", "convert", "--to", "30" }, "01:00:00:00\n",
        "01:00:03:18\n");
    prints("convert by label", { "-r", "30", "convert", "--to=25", "--keep-label", "00:00:01:29" }, {},
        "00:00:02:04\n");
    leavesOut("convert by label onto a label drop frame skips",
        { "-r", "30", "convert", "--to", "29.97df", "--keep-label", "00:01:00:00" }, {}, "\n",
        "horodex-tc: argument 1, column 1: 00:01:00;00 does not exist at 29.97df\n");
    prints("empty standard input", { "realtime" }, {}, {});

    // Lists and EDLs.
    const QByteArray noSum = "sum       00:00:00:00  0  0:00:00.000\n";
    prints("plain list", { "-r", "25", "sum" }, "Act 1,00:00:10:00\n# note\nAct 2,-00:00:02:12\n",
        "1  00:00:10:00  00:00:10:00  Act 1\n3 -00:00:02:12  00:00:07:13  Act 2\n\n"
        "input     -  list\nsum       00:00:07:13  188  0:00:07.520\n");
    const QByteArray byDefault
        = "horodex-tc: counted at 30 fps, the default: no input declares its rate (-r sets one)\n";
    QTest::newRow("Windows-1252 label shown as UTF-8; the default rate said")
        << QStringList { "sum" }
        << QByteArray("\x93"
                      "Caf\xe9\x94 1:00:00:00\n")
        << QByteArray("1  01:00:00:00  01:00:00:00  \xE2\x80\x9C"
                      "Caf\xc3\xa9\xE2\x80\x9D\n\n"
                      "input     -  list\nsum       01:00:00:00  108000  1:00:00.000\n")
        << byDefault << 0;
    prints("the rate from the environment is no default", { "HORODEX_RATE=25", "sum" }, "A 00:00:01:00\n",
        "1  00:00:01:00  00:00:01:00  A\n\ninput     -  list\nsum       00:00:01:00  25  0:00:01.000\n");
    // 4.5 s at 25 is 112.5 frames: 113, halves away from zero; the cue's text labels it.
    prints("subtitles: a SubRip cue in running time", { "-r", "25", "sum" },
        "1\n00:00:01,000 --> 00:00:04,500\nHi\n",
        "2  00:00:01:00  00:00:04:13  00:00:03:13  00:00:03:13  Hi\n\n"
        "input     -  srt  length 00:00:03:13\nsum       00:00:03:13  88  0:00:03.520\n"
        "unique    00:00:03:13  88  0:00:03.520\nlength    00:00:03:13  88  0:00:03.520\n");
    leavesOut("a marker whose duration is not out - in", { "-r", "25", "sum" },
        "Marker Name\tIn\tOut\tDuration\nM1\t00:00:05:00\t00:00:09:00\t00:00:05:00\n",
        "input     -  list\n" + noSum,
        "horodex-tc: -:2:28: duration 00:00:05:00 does not match out \xE2\x88\x92 in 00:00:04:00\n");
    prints("an EDL's FCM: DROP FRAME is its rate", { "sum" },
        "TITLE: DF\nFCM: DROP FRAME\n001 R V C 00:00:00;00 00:00:01;00 00:00:59;29 00:01:00;02\n",
        "3  V  00:00:59;29  00:01:00;02  00:00:00;01  00:00:00;01  R\n\n"
        "input     -  edl  at 29.97df  length 00:00:00;01\n"
        "sum       00:00:00;01  1  0:00:00.033\nunique    00:00:00;01  1  0:00:00.033\n"
        "length    00:00:00;01  1  0:00:00.033\nV sum     00:00:00;01  1  0:00:00.033\n"
        "V unique  00:00:00;01  1  0:00:00.033\n");
    prints("the EDL's rate beside the list's, its count the same", { "-r", "29.97", "sum" },
        "FCM: DROP FRAME\n001 R V C 00:00:00;00 00:00:01;00 00:00:59;29 00:01:00;02\n",
        "2  V  00:00:59:29  00:01:00:00  00:00:00:01  00:00:00:01  R\n\n"
        "input     -  edl  at 29.97df  length 00:00:00;01 (00:00:00:01 at 29.97)\n"
        "sum       00:00:00:01  1  0:00:00.033\nunique    00:00:00:01  1  0:00:00.033\n"
        "length    00:00:00:01  1  0:00:00.033\nV sum     00:00:00:01  1  0:00:00.033\n"
        "V unique  00:00:00:01  1  0:00:00.033\n");
    // At 25 the events read as 25 fps labels; at the EDL's own 29.97df 00:00:59;20 is frame 1790
    // and 00:01:00;02 frame 1800.
    prints("an EDL read at another rate than its own gives its length at both", { "-r", "25", "sum" },
        "FCM: DROP FRAME\n001 R V C 00:00:00;00 00:00:01;00 00:00:59;20 00:01:00;02\n",
        "2  V  00:00:59:20  00:01:00:02  00:00:00:07  00:00:00:07  R\n\n"
        "input     -  edl  at 29.97df  length 00:00:00;10 (00:00:00:07 at 25)\n"
        "sum       00:00:00:07  7  0:00:00.280\nunique    00:00:00:07  7  0:00:00.280\n"
        "length    00:00:00:07  7  0:00:00.280\nV sum     00:00:00:07  7  0:00:00.280\n"
        "V unique  00:00:00:07  7  0:00:00.280\n");
    leavesOut("a cue timing that cannot be read", { "-r", "25", "sum" },
        "1\n00:00:01,000 --> 00:00:02,00\nA\n", "input     -  srt\n" + noSum,
        "horodex-tc: -:2:27: a cue time is written 00:01:02,500 or 00:01:02.500\n"
        "horodex-tc: 1 of 3 lines left out\n");
    leavesOut("XML that is no timeline", { "sum" }, "<?xml version=\"1.0\"?>\n<filter/>\n",
        "input     -  not read\n" + noSum,
        "horodex-tc: -: XML root <filter> is not a timeline Horodex reads (fcpxml, xmeml)\n");
    leavesOut("JSON that is no timeline", { "sum" }, "{\"clips\": [\"00:00:01:00\"]}",
        "input     -  not read\n" + noSum, "horodex-tc: -: JSON that is not an OpenTimelineIO file\n");
    prints("UTF-16 list with its mark", { "-r", "25", "sum" },
        QByteArray("\xFF\xFE"
                   "A\0 \0"
                   "0\0"
                   "0\0:\0"
                   "0\0"
                   "0\0:\0"
                   "1\0"
                   "0\0:\0"
                   "0\0"
                   "0\0\r\0\n\0",
            30),
        "1  00:00:10:00  00:00:10:00  A\n\ninput     -  list\nsum       00:00:10:00  250  0:00:10.000\n");
    leavesOut("a line left out", { "-r", "25", "sum" }, "A 00:00:10:00\nB 00:00:01:29\n",
        "1  00:00:10:00  00:00:10:00  A\n\ninput     -  list\nsum       00:00:10:00  250  0:00:10.000\n",
        "horodex-tc: -:2:12: frames 29 at 25 fps\nhorodex-tc: 1 of 2 lines left out\n");
    leavesOut("not a text file", { "sum", "/dev/zero" }, {}, "input     /dev/zero  not read\n" + noSum,
        "horodex-tc: /dev/zero: not a text file\n");
    // A timeline's own rate becomes the list's; the input line names its format, rate and length.
    prints("an FCPXML project", { "sum" },
        "<fcpxml version=\"1.10\"><resources><format id=\"f\" frameDuration=\"1/25s\"/></resources>\n"
        "<project name=\"Cut\"><sequence format=\"f\" tcStart=\"3600s\"><spine>\n"
        "<clip name=\"A\" offset=\"3600s\" duration=\"2s\"/>\n"
        "<clip name=\"B\" offset=\"3602s\" duration=\"1s\" enabled=\"0\"/>\n"
        "</spine></sequence></project></fcpxml>\n",
        "3  Primary  01:00:00:00  01:00:02:00  00:00:02:00  00:00:02:00  A\n\n"
        "input     -  fcpxml \"Cut\"  at 25  length 00:00:02:00  1 left out\n"
        "sum       00:00:02:00  50  0:00:02.000\nunique    00:00:02:00  50  0:00:02.000\n"
        "length    00:00:02:00  50  0:00:02.000\n"
        "Primary sum 00:00:02:00  50  0:00:02.000\nPrimary unique 00:00:02:00  50  0:00:02.000\n");
}

void tst_Cli::text()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, message);

    const Run r = run(arguments, input);
    QTEST(r.out, "output");
    if (message.isEmpty())
        QCOMPARE(r.err, QByteArray());
    else
        QVERIFY2(r.err.contains(message), r.err.constData());
    QTEST(r.status, "status");
}

void tst_Cli::json_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("expected"); // one array item per output line
    QTest::addColumn<int>("status");

    QTest::newRow("calc") << QStringList { "--json", "-r", "29.97df", "00:59:59;28 + 2" } << QByteArray()
                          << QByteArray(R"([{"rate": "29.97df", "label": "01:00:00;00", "frames": 107892,
                                            "realtime": "0:59:59.996"}])")
                          << 0;
    QTest::newRow("calc converted") << QStringList { "--json", "--to", "25", "00:00:01:00" } << QByteArray()
                                    << QByteArray(R"([{"rate": "25", "label": "00:00:01:00", "frames": 25,
                                                      "realtime": "0:00:01.000"}])")
                                    << 0;
    QTest::newRow("values, with null for empty and bad lines")
        << QStringList { "-r", "25", "frames", "--json" } << QByteArray("1:00\n\nbad\n")
        << QByteArray(R"([{"label": "00:00:01:00", "frames": 25, "realtime": "0:00:01.000"}, null, null])")
        << 1;
    QTest::newRow("sum of an EDL")
        << QStringList { "--json", "-r", "25", "sum" }
        << QByteArray("TITLE: Reel 1\nFCM: NON-DROP FRAME\n"
                      "001  AX  V  C  00:00:00:00 00:00:10:00 01:00:00:00 01:00:10:00\n"
                      "002  AX  V  C  00:00:00:00 00:00:05:00 01:00:05:00 01:00:10:00\n"
                      "003  AX  A  C  00:00:00:00 00:00:10:00 01:00:00:00 01:00:10:00\n")
        << QByteArray(R"([{"rate": "25", "rate_from": "option", "lines": 5, "entries": 3, "errors": [],
        "total": {"label": "00:00:25:00", "frames": 625, "realtime": "0:00:25.000"},
        "unique": {"label": "00:00:10:00", "frames": 250, "realtime": "0:00:10.000"},
        "length": {"label": "00:00:10:00", "frames": 250, "realtime": "0:00:10.000"},
        "tracks": {"V": {"total": {"label": "00:00:15:00", "frames": 375, "realtime": "0:00:15.000"},
                         "unique": {"label": "00:00:10:00", "frames": 250, "realtime": "0:00:10.000"}},
                   "A": {"total": {"label": "00:00:10:00", "frames": 250, "realtime": "0:00:10.000"},
                         "unique": {"label": "00:00:10:00", "frames": 250, "realtime": "0:00:10.000"}}},
        "inputs": [{"file": "-", "name": null, "format": "edl", "rate": null, "entries": 3, "errors": 0,
                    "left_out": 0,
                    "length": {"label": "00:00:10:00", "frames": 250, "realtime": "0:00:10.000"},
                    "own_length": null,
                    "total": {"label": "00:00:25:00", "frames": 625, "realtime": "0:00:25.000"},
                    "unique": {"label": "00:00:10:00", "frames": 250, "realtime": "0:00:10.000"}}]}])")
        << 0;

    // Where the rate came from: the environment, the default, the EDL's FCM.
    const QByteArray second = R"({"label": "00:00:01:00", "frames": 25, "realtime": "0:00:01.000"})";
    QTest::newRow("rate from the environment")
        << QStringList { "HORODEX_RATE=25", "--json", "sum" } << QByteArray("A 00:00:01:00\n")
        << R"([{"rate": "25", "rate_from": "environment", "lines": 1,
        "entries": 1, "errors": [], "total": )"
            + second + R"(, "unique": null, "length": null, "tracks": {},
        "inputs": [{"file": "-", "name": null, "format": "list", "rate": null, "entries": 1, "errors": 0,
                    "left_out": 0, "length": null, "own_length": null, "total": )"
            + second + R"(, "unique": null}]}])"
        << 0;
    QTest::newRow("rate by default") << QStringList { "--json", "sum" } << QByteArray("A 00:00:01:00\n")
                                     << QByteArray(R"([{"rate": "30", "rate_from": "default", "lines": 1,
        "entries": 1, "errors": [], "total": {"label": "00:00:01:00", "frames": 30, "realtime": "0:00:01.000"},
        "unique": null, "length": null, "tracks": {},
        "inputs": [{"file": "-", "name": null, "format": "list", "rate": null, "entries": 1, "errors": 0,
                    "left_out": 0, "length": null, "own_length": null,
                    "total": {"label": "00:00:01:00", "frames": 30, "realtime": "0:00:01.000"},
                    "unique": null}]}])")
                                     << 0;
    const QByteArray frame = R"({"label": "00:00:00;01", "frames": 1, "realtime": "0:00:00.033"})";
    QTest::newRow("rate from an EDL's FCM: DROP FRAME")
        << QStringList { "--json", "sum" }
        << QByteArray("FCM: DROP FRAME\n001 R V C 00:00:00;00 00:00:01;00 00:00:59;29 00:01:00;02\n")
        << R"([{"rate": "29.97df", "rate_from": "input", "lines": 2, "entries": 1, "errors": [],
        "total": )"
            + frame + ", \"unique\": " + frame + ", \"length\": " + frame + R"(, "tracks": {"V": {"total": )"
            + frame + ", \"unique\": " + frame + R"(}},
        "inputs": [{"file": "-", "name": null, "format": "edl", "rate": "29.97df", "entries": 1, "errors": 0,
                    "left_out": 0, "length": )"
            + frame + ", \"own_length\": " + frame + ", \"total\": " + frame + ", \"unique\": " + frame
            + "}]}]"
        << 0;

    // One row per timeline format. 30 frames at 29.97df last 1.001 s; the disabled clip after
    // them is left out of the length too.
    QTest::newRow("sum of an FCPXML at 29.97 drop frame")
        << QStringList { "--json", "sum" }
        << QByteArray(
               R"(<fcpxml version="1.10"><resources><format id="f" frameDuration="1001/30000s"/></resources>
<project name="P"><sequence format="f" tcFormat="DF" tcStart="0s"><spine>
<clip name="A" offset="0s" duration="1001/1000s"/><clip name="B" offset="1001/1000s" duration="1001/1000s" enabled="0"/>
</spine></sequence></project></fcpxml>)")
        << QByteArray(R"([{"rate": "29.97df", "rate_from": "input", "lines": 0, "entries": 1, "errors": [],
        "total": {"label": "00:00:01;00", "frames": 30, "realtime": "0:00:01.001"},
        "unique": {"label": "00:00:01;00", "frames": 30, "realtime": "0:00:01.001"},
        "length": {"label": "00:00:01;00", "frames": 30, "realtime": "0:00:01.001"},
        "tracks": {"Primary": {"total": {"label": "00:00:01;00", "frames": 30, "realtime": "0:00:01.001"},
                               "unique": {"label": "00:00:01;00", "frames": 30, "realtime": "0:00:01.001"}}},
        "inputs": [{"file": "-", "name": "P", "format": "fcpxml", "rate": "29.97df", "entries": 1, "errors": 0,
                    "left_out": 1,
                    "length": {"label": "00:00:01;00", "frames": 30, "realtime": "0:00:01.001"},
                    "own_length": {"label": "00:00:01;00", "frames": 30, "realtime": "0:00:01.001"},
                    "total": {"label": "00:00:01;00", "frames": 30, "realtime": "0:00:01.001"},
                    "unique": {"label": "00:00:01;00", "frames": 30, "realtime": "0:00:01.001"}}]}])")
        << 0;
    // The same 50 frames on V1 and A1: 100 in all, 50 unique and long.
    QTest::newRow("sum of an xmeml sequence")
        << QStringList { "--json", "-r", "25", "sum" }
        << QByteArray(R"(<xmeml version="4"><sequence><name>Seq</name><rate><timebase>25</timebase></rate>
<media><video><track><clipitem><name>V</name><start>0</start><end>50</end></clipitem></track></video>
<audio><track><clipitem><name>A</name><start>0</start><end>50.0</end></clipitem></track></audio></media>
</sequence></xmeml>)")
        << QByteArray(R"([{"rate": "25", "rate_from": "option", "lines": 0, "entries": 2, "errors": [],
        "total": {"label": "00:00:04:00", "frames": 100, "realtime": "0:00:04.000"},
        "unique": {"label": "00:00:02:00", "frames": 50, "realtime": "0:00:02.000"},
        "length": {"label": "00:00:02:00", "frames": 50, "realtime": "0:00:02.000"},
        "tracks": {"V1": {"total": {"label": "00:00:02:00", "frames": 50, "realtime": "0:00:02.000"},
                          "unique": {"label": "00:00:02:00", "frames": 50, "realtime": "0:00:02.000"}},
                   "A1": {"total": {"label": "00:00:02:00", "frames": 50, "realtime": "0:00:02.000"},
                          "unique": {"label": "00:00:02:00", "frames": 50, "realtime": "0:00:02.000"}}},
        "inputs": [{"file": "-", "name": "Seq", "format": "xmeml", "rate": "25", "entries": 2, "errors": 0,
                    "left_out": 0,
                    "length": {"label": "00:00:02:00", "frames": 50, "realtime": "0:00:02.000"},
                    "own_length": {"label": "00:00:02:00", "frames": 50, "realtime": "0:00:02.000"},
                    "total": {"label": "00:00:04:00", "frames": 100, "realtime": "0:00:04.000"},
                    "unique": {"label": "00:00:02:00", "frames": 50, "realtime": "0:00:02.000"}}]}])")
        << 0;
    // a 0-48, a gap of 24, b 72-96: 72 frames of clips in a track 96 long, at 24 from the file.
    QTest::newRow("sum of an OTIO timeline")
        << QStringList { "--json", "sum" } << QByteArray(R"({"OTIO_SCHEMA": "Timeline.1", "name": "T",
"global_start_time": {"OTIO_SCHEMA": "RationalTime.1", "rate": 24.0, "value": 86400.0},
"tracks": {"OTIO_SCHEMA": "Stack.1", "children": [{"OTIO_SCHEMA": "Track.1", "kind": "Video", "name": "",
"children": [
{"OTIO_SCHEMA": "Clip.2", "name": "a", "source_range": {"OTIO_SCHEMA": "TimeRange.1",
 "duration": {"OTIO_SCHEMA": "RationalTime.1", "rate": 24.0, "value": 48.0},
 "start_time": {"OTIO_SCHEMA": "RationalTime.1", "rate": 24.0, "value": 0.0}}},
{"OTIO_SCHEMA": "Gap.1", "source_range": {"OTIO_SCHEMA": "TimeRange.1",
 "duration": {"OTIO_SCHEMA": "RationalTime.1", "rate": 24.0, "value": 24.0}}},
{"OTIO_SCHEMA": "Clip.2", "name": "b", "source_range": {"OTIO_SCHEMA": "TimeRange.1",
 "duration": {"OTIO_SCHEMA": "RationalTime.1", "rate": 24.0, "value": 24.0}}}]}]}})")
        << QByteArray(R"([{"rate": "24", "rate_from": "input", "lines": 0, "entries": 2, "errors": [],
        "total": {"label": "00:00:03:00", "frames": 72, "realtime": "0:00:03.000"},
        "unique": {"label": "00:00:03:00", "frames": 72, "realtime": "0:00:03.000"},
        "length": {"label": "00:00:04:00", "frames": 96, "realtime": "0:00:04.000"},
        "tracks": {"V1": {"total": {"label": "00:00:03:00", "frames": 72, "realtime": "0:00:03.000"},
                          "unique": {"label": "00:00:03:00", "frames": 72, "realtime": "0:00:03.000"}}},
        "inputs": [{"file": "-", "name": "T", "format": "otio", "rate": "24", "entries": 2, "errors": 0,
                    "left_out": 0,
                    "length": {"label": "00:00:04:00", "frames": 96, "realtime": "0:00:04.000"},
                    "own_length": {"label": "00:00:04:00", "frames": 96, "realtime": "0:00:04.000"},
                    "total": {"label": "00:00:03:00", "frames": 72, "realtime": "0:00:03.000"},
                    "unique": {"label": "00:00:03:00", "frames": 72, "realtime": "0:00:03.000"}}]}])")
        << 0;
    // Rows at 25 from the FPS heading: 25 frames by End, 15 by Duration; separate material, no length.
    QTest::newRow("sum of an ALE")
        << QStringList { "--json", "sum" }
        << QByteArray(
               "Heading\r\nFIELD_DELIM\tTABS\r\nFPS\t25\r\n\r\nColumn\r\nName\tStart\tEnd\tDuration\r\n\r\n"
               "Data\r\nX\t01:00:00:00\t01:00:01:00\t\r\nY\t01:00:00:10\t\t00:00:00:15\r\n")
        << QByteArray(R"([{"rate": "25", "rate_from": "input", "lines": 0, "entries": 2, "errors": [],
        "total": {"label": "00:00:01:15", "frames": 40, "realtime": "0:00:01.600"},
        "unique": {"label": "00:00:01:15", "frames": 40, "realtime": "0:00:01.600"},
        "length": null, "tracks": {},
        "inputs": [{"file": "-", "name": null, "format": "ale", "rate": "25", "entries": 2, "errors": 0,
                    "left_out": 0, "length": null, "own_length": null,
                    "total": {"label": "00:00:01:15", "frames": 40, "realtime": "0:00:01.600"},
                    "unique": {"label": "00:00:01:15", "frames": 40, "realtime": "0:00:01.600"}}]}])")
        << 0;
}

void tst_Cli::json()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, expected);
    QFETCH(int, status);

    const Run r = run(arguments, input);
    QCOMPARE(jsonLines(r.out), QJsonDocument::fromJson(expected).array());
    QCOMPARE(r.status, status);
}

// Several files, one unreadable, one too large, error texts that JSON must escape, and a bundle.
void tst_Cli::sumFiles()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString one = dir.filePath(QStringLiteral("act 1.txt"));
    const QString two = dir.filePath(QStringLiteral("act2.txt"));
    const QString missing = dir.filePath(QStringLiteral("missing.txt"));
    const QString large = dir.filePath(QStringLiteral("large.txt"));
    QFile f1(one), f2(two), f3(large);
    QVERIFY(f1.open(QIODevice::WriteOnly) && f2.open(QIODevice::WriteOnly) && f3.open(QIODevice::WriteOnly));
    f1.write("Scene 1 00:00:01:00 00:00:03:00\n");
    f2.write("Cue \"A\"\\ \xE9\t00:10:00:0\nScene 2 00:00:02:00 00:00:04:00\n");
    QVERIFY(f3.resize((qint64(1) << 30) + 1)); // sparse: nothing written
    f1.close();
    f2.close();
    f3.close();

    const Run text = run({ "-r", "25", "sum", one, missing, large, two });
    QCOMPARE(text.status, 1);
    QVERIFY2(text.err.contains(missing.toUtf8() + ": No such file or directory"), text.err.constData());
    QVERIFY2(text.err.contains(large.toUtf8() + ": larger than 1 GiB\n"), text.err.constData());
    QVERIFY2(text.err.contains(two.toUtf8() + ":1:"), text.err.constData());
    QVERIFY2(text.out.contains("act 1.txt:1 "), text.out.constData());
    QVERIFY2(text.out.contains("act2.txt:2 "), text.out.constData());

    const Run json = run({ "--json", "-r", "25", "sum", one, missing, large, two });
    QCOMPARE(json.status, 1);
    const QJsonObject o = QJsonDocument::fromJson(json.out).object();
    QCOMPARE(o.value("entries").toInt(), 2);
    QCOMPARE(o.value("lines").toInt(), 3);
    QCOMPARE(o.value("total").toObject().value("frames").toInt(), 100);
    QCOMPARE(o.value("unique").toObject().value("frames").toInt(), 100); // per file, then added
    const QJsonArray errors = o.value("errors").toArray();
    QCOMPARE(errors.size(), 3);
    QCOMPARE(errors.at(0).toObject().value("file").toString(), missing);
    const QJsonObject tooLarge = errors.at(1).toObject();
    QCOMPARE(tooLarge.value("file").toString(), large);
    QCOMPARE(tooLarge.value("why").toString(), QStringLiteral("larger than 1 GiB"));
    QCOMPARE(tooLarge.value("line").toInt(-1), 0);
    QCOMPARE(tooLarge.value("column").toInt(-1), 0);
    const QJsonObject bad = errors.at(2).toObject();
    QCOMPARE(bad.value("file").toString(), two);
    QCOMPARE(bad.value("line").toInt(), 1);
    QCOMPARE(bad.value("text").toString(), QString::fromUtf8("Cue \"A\"\\ \xc3\xa9\t00:10:00:0"));
    QVERIFY(!bad.value("why").toString().isEmpty());

    // An FCPXML bundle is a folder read through its Info.fcpxml; inputs keep the order given.
    const QString bundle = dir.filePath(QStringLiteral("Cut.fcpxmld"));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Cut.fcpxmld")));
    QFile info(bundle + QStringLiteral("/Info.fcpxml"));
    QVERIFY(info.open(QIODevice::WriteOnly));
    info.write("<fcpxml version=\"1.11\"><project name=\"Cut\"><sequence><spine>"
               "<clip offset=\"0s\" duration=\"2s\"/></spine></sequence></project></fcpxml>");
    info.close();
    const QJsonArray inputs
        = QJsonDocument::fromJson(run({ "--json", "-r", "25", "sum", missing, bundle }).out)
              .object()
              .value("inputs")
              .toArray();
    QCOMPARE(inputs.size(), 2);
    QCOMPARE(inputs.at(0).toObject().value("format"), QJsonValue(QJsonValue::Null));
    QCOMPARE(inputs.at(0).toObject().value("errors").toInt(), 1);
    QCOMPARE(inputs.at(1).toObject().value("file").toString(), bundle);
    QCOMPARE(inputs.at(1).toObject().value("format").toString(), QStringLiteral("fcpxml"));
    QCOMPARE(inputs.at(1).toObject().value("length").toObject().value("frames").toInt(), 50);

    // A folder that is no bundle, in sum's words.
    const Run folder = run({ "-r", "25", "sum", dir.path() });
    QCOMPARE(folder.status, 1);
    QVERIFY2(folder.err.contains("horodex-tc: " + dir.path().toUtf8() + " is a folder, not a list\n"),
        folder.err.constData());
}

// Each timeline's length at its own rate beside the list's; errors in the order of the files' text.
void tst_Cli::ownRatesAndOrder()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto write = [&](const char* name, const QByteArray& text) {
        QFile f(dir.filePath(QString::fromLatin1(name)));
        return f.open(QIODevice::WriteOnly) && f.write(text) == text.size() ? f.fileName() : QString();
    };
    // 24 frames at 23.976 are 1.001 s.
    const QString a = write("a_23.98.fcpxml",
        R"(<fcpxml version="1.10"><resources><format id="f" frameDuration="1001/24000s"/></resources>
<project name="A"><sequence format="f" tcStart="0s"><spine><clip name="a" offset="0s" duration="1001/1000s"/>
</spine></sequence></project></fcpxml>)");
    // 00:02:16:18 at 24 is 136.75 s, 3278.72 frames at 23.976: 3279, 00:02:16:15.
    const QString b = write("b_24.otio", R"({"OTIO_SCHEMA": "Timeline.1", "name": "Name",
"tracks": {"OTIO_SCHEMA": "Stack.1", "children": [{"OTIO_SCHEMA": "Track.1", "kind": "Video", "children": [
{"OTIO_SCHEMA": "Clip.2", "name": "b", "source_range": {"OTIO_SCHEMA": "TimeRange.1",
 "duration": {"OTIO_SCHEMA": "RationalTime.1", "rate": 24.0, "value": 3282.0},
 "start_time": {"OTIO_SCHEMA": "RationalTime.1", "rate": 24.0, "value": 0.0}}}]}]}})");
    // The audio track stands before the video track, whose reader reads video first.
    const QString c
        = write("c.xml", R"(<xmeml version="4"><sequence><rate><timebase>24</timebase></rate><media>
<audio><track><clipitem><name>A</name><start>x</start><end>5</end></clipitem></track></audio>
<video><track><clipitem><name>V</name><start>y</start><end>5</end></clipitem></track></video>
</media></sequence></xmeml>)");
    QVERIFY(!a.isEmpty() && !b.isEmpty() && !c.isEmpty());

    const Run text = run({ "sum", a, b });
    QCOMPARE(text.status, 0);
    QCOMPARE(text.err, QByteArray());
    QVERIFY2(text.out.contains("input     " + a.toUtf8()
                 + R"(  fcpxml "A"  at 23.976  length 00:00:01:00)"
                   "\n"),
        text.out.constData());
    QVERIFY2(text.out.contains("input     " + b.toUtf8()
                 + R"(  otio "Name"  at 24  length 00:02:16:18 (00:02:16:15 at 23.976))"
                   "\n"),
        text.out.constData());

    const QJsonObject o = QJsonDocument::fromJson(run({ "--json", "sum", a, b, c }).out).object();
    QCOMPARE(o.value("rate_from").toString(), QStringLiteral("input"));
    const QJsonArray inputs = o.value("inputs").toArray();
    QCOMPARE(inputs.size(), 3);
    const QJsonObject otio = inputs.at(1).toObject();
    QCOMPARE(otio.value("length").toObject().value("frames").toInt(), 3279);
    QCOMPARE(otio.value("own_length").toObject(),
        QJsonDocument::fromJson(R"({"label": "00:02:16:18", "frames": 3282, "realtime": "0:02:16.750"})")
            .object());
    QCOMPARE(inputs.at(0).toObject().value("own_length"), inputs.at(0).toObject().value("length"));
    const QJsonArray errors = o.value("errors").toArray();
    QCOMPARE(errors.size(), 2);
    QCOMPARE(errors.at(0).toObject().value("line").toInt(), 2);
    QCOMPARE(errors.at(1).toObject().value("line").toInt(), 3);
}

void tst_Cli::helpAndVersion()
{
    const Run help = run({ "label", "--help", "x" });
    QCOMPARE(help.status, 0);
    QVERIFY(help.out.startsWith("Usage: horodex-tc"));
    const Run version = run({ "--version" });
    QCOMPARE(version.status, 0);
    QCOMPARE(version.out, QByteArray("horodex-tc " HORODEX_VERSION "\n"));
}

// Every example in the man page that runs horodex-tc alone prints what the page shows, messages included.
void tst_Cli::manPageExamples()
{
    QFile page(QStringLiteral(HORODEX_TC_MAN));
    QVERIFY(page.open(QIODevice::ReadOnly));
    const auto plain
        = [](QByteArray line) { return line.replace("\\-", "-").replace("\\(aq", "'").replace("\\&", ""); };
    QList<QPair<QByteArray, QByteArray>> examples; // command, what it prints
    bool inExample = false;
    for (const QByteArray& line : page.readAll().split('\n')) {
        if (line == ".nf" || line == ".fi") {
            inExample = line == ".nf";
            continue;
        }
        if (!inExample) continue;
        if (line.startsWith("$ "))
            examples.append({ plain(line.mid(2)), QByteArray() });
        else if (!examples.isEmpty() && !examples.last().first.isEmpty())
            examples.last().second += plain(line) + '\n';
    }
    int ran = 0;
    for (const auto& [command, printed] : examples) {
        // Those that read files or pipes stand for the reader's own.
        if (!command.startsWith("horodex-tc ") || command.contains('|') || command.contains(" sum "))
            continue;
        QProcess sh;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("HORODEX_RATE"));
        env.insert(QStringLiteral("PATH"),
            QFileInfo(QStringLiteral(HORODEX_TC_EXE)).absolutePath() + ':'
                + env.value(QStringLiteral("PATH")));
        sh.setProcessEnvironment(env);
        sh.setProcessChannelMode(QProcess::MergedChannels);
        sh.start(QStringLiteral("/bin/sh"), { QStringLiteral("-c"), QString::fromUtf8(command) });
        QVERIFY(sh.waitForFinished(30000));
        QCOMPARE(sh.readAll(), printed);
        ++ran;
    }
    QVERIFY(ran >= 5);
}

// A script that feeds one value and waits for its answer must not wait forever.
void tst_Cli::answersBeforeInputEnds()
{
    QProcess p;
    p.start(QStringLiteral(HORODEX_TC_EXE), { "-r", "25", "label" });
    QVERIFY(p.waitForStarted(10000));
    p.write("25\n");
    QVERIFY(p.waitForReadyRead(10000));
    QCOMPARE(p.readAllStandardOutput(), QByteArray("00:00:01:00\n"));
    p.closeWriteChannel();
    QVERIFY(p.waitForFinished(10000));
}

QTEST_GUILESS_MAIN(tst_Cli)
#include "tst_cli.moc"
