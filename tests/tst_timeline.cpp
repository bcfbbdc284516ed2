// SPDX-License-Identifier: MIT
// Timelines read into a list: small files in each format, with the entries,
// tracks, lengths and errors worked out by hand from the formats' own rules.
#include <QtTest>

#include "ELKInput.h"
#include "elk_test_support.h"

namespace
{

QByteArray pool(const ELKList_t& l, int64_t at, int32_t length)
{
    return QByteArray(l.text + at, length);
}

QByteArray rateText(const ELKTimebase_t& tb)
{
    char text[ELK_DURATION_TEXT_MAX];
    return ELKTimebase_ToText(&tb, text, sizeof text) > 0 ? QByteArray(text) : QByteArray("?");
}

// "line label/track in-out", one per entry.
QByteArray entries(const ELKList_t& l)
{
    QByteArrayList out;
    for (int64_t i = 0; i < l.entryCount; ++i) {
        const ELKListEntry_t& e = l.entries[i];
        QByteArray s = QByteArray::number(e.line) + ' ' + pool(l, e.label, e.labelLength);
        if (e.trackLength) s += '/' + pool(l, e.track, e.trackLength);
        if (e.hasInOut == ELK_TRUE) s += ' ' + QByteArray::number(e.in) + '-' + QByteArray::number(e.out);
        if (e.hasInOut != ELK_TRUE || e.duration != e.out - e.in) s += ' ' + QByteArray::number(e.duration);
        out << s;
    }
    return out.join("; ");
}

// "sum S unique U length L | track sum unique | ..."
QByteArray totals(const ELKList_t& l)
{
    QByteArray s = "sum " + QByteArray::number(l.sum) + " unique "
        + (l.hasUnique == ELK_TRUE ? QByteArray::number(l.unique) : QByteArray("-")) + " length "
        + (l.hasLength == ELK_TRUE ? QByteArray::number(l.length) : QByteArray("-"));
    for (int32_t i = 0; i < l.trackCount; ++i) {
        const ELKListTrack_t& t = l.tracks[i];
        s += " | " + pool(l, t.name, t.nameLength) + ' ' + QByteArray::number(t.sum) + ' '
            + QByteArray::number(t.unique);
    }
    return s;
}

// "format name rate left-out length" per input, "-" for what it lacks.
QByteArray inputs(const ELKList_t& l)
{
    static const char* const formats[] = { "none", "list", "edl", "fcpxml", "xmeml", "otio", "ale" };
    QByteArrayList out;
    for (int32_t i = 0; i < l.inputs; ++i) {
        const ELKListInput_t& in = l.inputList[i];
        out << QByteArray(formats[in.format]) + ' '
                + (in.hasName == ELK_TRUE ? pool(l, in.name, in.nameLength) : QByteArray("-")) + ' '
                + (in.hasRate == ELK_TRUE ? rateText(in.rate) : QByteArray("-")) + ' '
                + QByteArray::number(in.leftOut) + ' '
                + (in.hasLength == ELK_TRUE ? QByteArray::number(in.length) : QByteArray("-"))
                // and at its own rate, where that gives another count
                + (in.hasOwnLength == ELK_TRUE && in.ownLength != in.length
                        ? '/' + QByteArray::number(in.ownLength)
                        : QByteArray());
    }
    return out.join("; ");
}

// "line:column fault detail", one per error.
QByteArray errors(const ELKList_t& l)
{
    QByteArrayList out;
    for (int64_t i = 0; i < l.errorCount; ++i) {
        const ELKListError_t& e = l.errors[i];
        QByteArray s = QByteArray::number(e.line) + ':' + QByteArray::number(e.column) + ' '
            + QByteArray::number(e.fault);
        if (e.detailLength) s += ' ' + pool(l, e.detail, e.detailLength);
        if (e.value[0] || e.value[1] || e.value[2] || e.value[3])
            s += QByteArray(" [") + QByteArray::number(e.value[0]) + ' ' + QByteArray::number(e.value[1])
                + ' ' + QByteArray::number(e.value[2]) + ' ' + QByteArray::number(e.value[3]) + ']';
        out << s;
    }
    return out.join("; ");
}

QByteArray fault(int8_t f)
{
    return QByteArray::number(f);
}

// FCPXML times at 23.976: n frames from 01:00:00:00 (frame 86400) as seconds.
QByteArray at2398(int64_t frames)
{
    return QByteArray::number(frames * 1001) + "/24000s";
}

const QByteArray kFcpxmlHead
    = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE fcpxml>\n<fcpxml version=\"1.10\">\n";

QByteArray otioTime(const char* value, const char* rate)
{
    return QByteArray("{\"OTIO_SCHEMA\": \"RationalTime.1\", \"rate\": ") + rate + ", \"value\": " + value
        + "}";
}

QByteArray otioRange(const char* duration, const char* rate)
{
    return "{\"OTIO_SCHEMA\": \"TimeRange.1\", \"duration\": " + otioTime(duration, rate)
        + ", \"start_time\": " + otioTime("0", rate) + "}";
}

QByteArray otioClip(const char* name, const char* duration, const char* rate, const char* more = "")
{
    return QByteArray("{\"OTIO_SCHEMA\": \"Clip.2\", \"name\": \"") + name + "\", " + more
        + "\"source_range\": " + otioRange(duration, rate) + "}";
}

// A track of stacks nested depth deep.
QByteArray otioDeep(int32_t depth)
{
    QByteArray open, close;
    for (int32_t i = 0; i < depth; ++i) {
        open += "{\"OTIO_SCHEMA\": \"Stack.1\", \"children\": [";
        close += "]}";
    }
    return "{\"OTIO_SCHEMA\": \"Timeline.1\", \"tracks\": {\"OTIO_SCHEMA\": \"Stack.1\", \"children\": ["
           "{\"OTIO_SCHEMA\": \"Track.1\", \"kind\": \"Video\", \"children\": ["
        + open + close + "]}]}}";
}

} // namespace

class TestTimeline : public QObject
{
    Q_OBJECT

private slots:
    void read_data();
    void read()
    {
        QFETCH(QByteArray, rate);
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, own);
        QFETCH(QByteArray, inputs);
        QFETCH(QByteArray, entries);
        QFETCH(QByteArray, totals);
        QFETCH(QByteArray, errors);

        const auto exact = exactCopy(text);
        ELKTimebase_t base;
        ELKTimebase_Set(&base, 30, 1, ELK_FALSE);
        if (!rate.isEmpty()) QCOMPARE(ELKTimebase_FromText(&base, rate.constData(), -1), ELK_OK);

        ELKList_t l;
        ELKList_Init(&l, &base);
        const ELKReadOptions_t options { rate.isEmpty() ? ELK_RATE_OWN : ELK_RATE_KEEP };
        const int8_t result = ELKInput_ReadBytes(&l, exact.get(), text.size(), &options);
        // The first input's own rate, taken while it was read.
        const bool hasOwn = l.inputs > 0 && l.inputList[0].hasRate == ELK_TRUE;
        QCOMPARE(hasOwn ? rateText(l.inputList[0].rate) : QByteArray(), own);
        QCOMPARE(rateText(l.base), rate.isEmpty() && hasOwn ? own : rateText(base));
        QCOMPARE(::inputs(l), inputs);
        QCOMPARE(::entries(l), entries);
        QCOMPARE(::totals(l), totals);
        QCOMPARE(::errors(l), errors);
        QCOMPARE(result, errors.isEmpty() ? ELK_OK : ELK_ERROR);
        ELKList_Destroy(&l);
    }

    // One fault a row: the file's first error, its place, its code and the words it reads as.
    void faults_data();
    void faults()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, where);
        QFETCH(int, fault);
        QFETCH(QByteArray, reason);
        ELKTimebase_t base;
        ELKTimebase_Set(&base, 25, 1, ELK_FALSE);
        ELKList_t l;
        ELKList_Init(&l, &base);
        const auto exact = exactCopy(text);
        QCOMPARE(ELKInput_ReadBytes(&l, exact.get(), text.size(), nullptr), ELK_ERROR);
        QVERIFY(l.errorCount > 0);
        const ELKListError_t& e = l.errors[0];
        QCOMPARE(QByteArray::number(e.line) + ':' + QByteArray::number(e.column), where);
        QCOMPARE(int(e.fault), fault);
        char words[ELK_LIST_REASON_MAX];
        const int32_t n = ELKList_ErrorText(&l, &e, words, sizeof words);
        QCOMPARE(QByteArray(words, n), reason);
        ELKList_Destroy(&l);
    }
};

// Raw strings below: the class above is complete for moc before them.
void TestTimeline::read_data()
{
    QTest::addColumn<QByteArray>("rate"); // the list's; empty: the input's own, else 30
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("own");
    QTest::addColumn<QByteArray>("inputs");
    QTest::addColumn<QByteArray>("entries");
    QTest::addColumn<QByteArray>("totals");
    QTest::addColumn<QByteArray>("errors");

    // One at 01:00:00:00 for 240 frames holds a title (+48) and a connected spine (+24) on
    // lanes 1 and 2; a gap at 86640 holds music on lane -1 for 720 frames, which ends the
    // sequence at 87360; the audition plays its first pick; the transition is no entry.
    QTest::newRow("fcpxml at 23.976: lanes, connected spine, gap, audition, disabled clip")
        << QByteArray()
        << kFcpxmlHead + R"(<resources>
  <format id="r1" name="FFVideoFormat1080p2398" frameDuration="1001/24000s" width="1920" height="1080"/>
  <asset id="r2" name="A" start="0s" duration="3600s" hasVideo="1" format="r1"/>
</resources>
<library>
 <event name="Day 1">
  <project name="Cut">
   <sequence format="r1" duration="1s" tcStart=")"
            + at2398(86400) + R"(" tcFormat="NDF">
<spine>
 <asset-clip ref="r2" offset=")"
            + at2398(86400) + R"(" name="One" start="3600s" duration=")" + at2398(240) + R"(">
  <title lane="1" offset=")"
            + QByteArray::number(86400000 + 48048) + R"(/24000s" name="Title" duration=")" + at2398(48)
            + R"("/>
  <spine lane="2" offset=")"
            + QByteArray::number(86400000 + 24024) + R"(/24000s">
   <asset-clip ref="r2" offset="0s" name="B1" duration=")"
            + at2398(24) + R"("/>
   <asset-clip ref="r2" offset=")"
            + at2398(24) + R"(" name="B2" duration=")" + at2398(24) + R"("/>
  </spine>
 </asset-clip>
 <gap offset=")"
            + at2398(86640) + R"(" start="3600s" duration=")" + at2398(24) + R"(">
  <asset-clip ref="r2" lane="-1" offset="3600s" name="Music" duration=")"
            + at2398(720) + R"("/>
 </gap>
 <transition offset=")"
            + at2398(86652) + R"(" duration=")" + at2398(24) + R"("/>
 <audition offset=")"
            + at2398(86664) + R"(">
  <asset-clip ref="r2" offset=")"
            + at2398(86664) + R"(" name="Take 2" duration=")" + at2398(48) + R"("/>
  <asset-clip ref="r2" offset=")"
            + at2398(86664) + R"(" name="Take 1" duration=")" + at2398(96) + R"("/>
 </audition>
 <asset-clip ref="r2" offset=")"
            + at2398(86712) + R"(" name="Off" enabled="0" duration=")" + at2398(24) + R"("/>
 <unknown-element offset="nonsense"/>
</spine>
   </sequence>
  </project>
 </event>
</library>
</fcpxml>
)" << QByteArray("23.976")
        << QByteArray("fcpxml Cut 23.976 1 960")
        << QByteArray("13 One/Primary 86400-86640; 14 Title/Lane 1 86448-86496; 16 B1/Lane 2 86424-86448; "
                      "17 B2/Lane 2 86448-86472; 21 Music/Lane -1 86640-87360; 25 Take 2/Primary 86664-86712")
        << QByteArray("sum 1104 unique 960 length 960 | Primary 288 288 | Lane 1 48 48 | Lane 2 48 48 | "
                      "Lane -1 720 720")
        << QByteArray();

    // Three clips of 10 s at 25 fps read at 23.976: 239.76 frames each. Rounding each
    // duration gives 240 three times (720); the positions 0, 239.76, 479.52, 719.28 round
    // to 0, 240, 480, 719, so the last clip is 239 frames and the cut 719.
    QTest::newRow("fcpxml at 25 read at 23.976 rounds positions, not durations")
        << QByteArray("23.976")
        << kFcpxmlHead + R"(<resources><format id="f" frameDuration="1/25s"/></resources>
<project name="P"><sequence format="f" tcStart="0s"><spine>
<clip name="a" offset="0s" duration="10s"/>
<clip name="b" offset="10s" duration="10s"/>
<clip name="c" offset="20s" duration="10s"/>
</spine></sequence></project></fcpxml>)"
        << QByteArray("25") << QByteArray("fcpxml P 25 0 719/750")
        << QByteArray("6 a/Primary 0-240; 7 b/Primary 240-480; 8 c/Primary 480-719")
        << QByteArray("sum 719 unique 719 length 719 | Primary 719 719") << QByteArray();

    // Two projects in one event are two inputs; tcFormat DF makes the rate drop frame.
    // 1001/30000 s is one frame at 29.97: 30 frames from 00:00:00;00.
    QTest::newRow("fcpxml with two projects at 29.97 drop frame")
        << QByteArray()
        << kFcpxmlHead + R"(<resources><format id="f" frameDuration="1001/30000s"/></resources>
<library><event name="E">
<project name="A"><sequence format="f" tcFormat="DF"><spine><clip name="x" offset="0s" duration="30030/30000s"/></spine></sequence></project>
<project name="B"><sequence format="f" tcFormat="DF"><spine><gap offset="0s" duration="1001/1000s"/><clip name="y" offset="1001/1000s" duration="1001/30000s"/></spine></sequence></project>
</event></library></fcpxml>)"
        << QByteArray("29.97df") << QByteArray("fcpxml A 29.97df 0 30; fcpxml B 29.97df 0 31")
        << QByteArray("6 x/Primary 0-30; 7 y/Primary 30-31")
        << QByteArray("sum 31 unique 31 length 61 | Primary 31 31") << QByteArray();

    {
        // Decoded by its mark before the XML parser sees it, whatever the declaration says.
        const QString xml
            = QString::fromUtf8("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<fcpxml version=\"1.10\">"
                                "<project name=\"Caf\u00e9\"><sequence><spine>\n"
                                "<clip name=\"\u00c9t\u00e9\" offset=\"0s\" duration=\"1s\"/>\n"
                                "</spine></sequence></project></fcpxml>");
        QTest::newRow("fcpxml in UTF-16 with its mark")
            << QByteArray("25")
            << QByteArray("\xFF\xFE") + QByteArray(reinterpret_cast<const char*>(xml.utf16()), xml.size() * 2)
            << QByteArray() << QByteArray("fcpxml Caf\xC3\xA9 - 0 25")
            << QByteArray("3 \xC3\x89t\xC3\xA9/Primary 0-25")
            << QByteArray("sum 25 unique 25 length 25 | Primary 25 25") << QByteArray();
    }

    QTest::newRow("fcpxml with clips but no project")
        << QByteArray()
        << kFcpxmlHead
            + R"(<library><event name="E"><asset-clip name="x" duration="1s"/></event></library></fcpxml>)"
        << QByteArray() << QByteArray("fcpxml - - 0 -") << QByteArray()
        << QByteArray("sum 0 unique - length -") << "0:0 " + fault(ELK_FAULT_NO_TIMELINE);

    QTest::newRow("fcpxml times that cannot be read are errors at their element")
        << QByteArray("25") << kFcpxmlHead + R"(<project name="P"><sequence tcStart="0s"><spine>
  <clip name="a" offset="1x" duration="1s"/>
  <clip name="b" offset="1s"/>
  <clip name="c" offset="2s" duration="1s"/>
</spine></sequence></project></fcpxml>)"
        << QByteArray() << QByteArray("fcpxml P - 0 75") << QByteArray("7 c/Primary 50-75")
        << QByteArray("sum 25 unique 25 length 75 | Primary 25 25")
        << "5:3 " + fault(ELK_FAULT_NOT_A_TIME) + " offset; 6:3 " + fault(ELK_FAULT_MISSING) + " duration";

    QTest::newRow("xml that is not well-formed: one error at the parser's line and column")
        << QByteArray()
        << QByteArray("<fcpxml version=\"1.10\">\n<library>\n  <event name=\"E\">\n</library>\n")
        << QByteArray() << QByteArray("none - - 0 -") << QByteArray() << QByteArray("sum 0 unique - length -")
        << "4:3 " + fault(ELK_FAULT_NOT_WELL_FORMED) + " Start-end tags mismatch";

    // Timebase 24 with ntsc TRUE is 23.976. A ends at -1: the end of the transition after it
    // (112); B starts at -1: its start (88). The slug ends at "224.0". A disabled clip and a
    // clip on a disabled track are left out, so the sequence's <duration> 999 is wrong twice.
    QTest::newRow("xmeml: ntsc, -1 from transitions, decimals, disabled clip and track")
        << QByteArray() << QByteArray(R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE xmeml>
<xmeml version="4">
<sequence id="s1">
 <name>Reel 1</name><duration>999</duration>
 <rate><timebase>24</timebase><ntsc>TRUE</ntsc></rate>
 <timecode><rate><timebase>24</timebase><ntsc>TRUE</ntsc></rate><string>00:00:00:00</string><displayformat>NDF</displayformat></timecode>
 <media>
  <video>
   <format/>
   <track>
<clipitem id="a"><name>A</name><enabled>TRUE</enabled><start>0</start><end>-1</end><in>0</in><out>112</out></clipitem>
<transitionitem><start>88</start><end>112</end><alignment>center</alignment></transitionitem>
<clipitem id="b"><name>B</name><start>-1</start><end>200</end></clipitem>
   </track>
   <track>
<generatoritem id="g"><name>Slug</name><start>200</start><end>224.0</end></generatoritem>
<clipitem id="off"><name>Off</name><enabled>FALSE</enabled><start>300</start><end>400</end></clipitem>
   </track>
  </video>
  <audio>
   <track><enabled>FALSE</enabled><clipitem id="m"><name>M</name><start>0</start><end>500</end></clipitem></track>
  </audio>
 </media>
</sequence>
</xmeml>
)") << QByteArray("23.976")
        << QByteArray("xmeml Reel 1 23.976 2 224")
        << QByteArray("12 A/V1 0-112; 14 B/V1 88-200; 17 Slug/V2 200-224")
        << QByteArray("sum 248 unique 224 length 224 | V1 224 200 | V2 24 24") << QByteArray();

    // Two clips overlapping by 13 frames without a transition keep their own places.
    QTest::newRow("xmeml: a 13-frame overlap without a transition, at 29.97 drop frame")
        << QByteArray() << QByteArray(R"(<xmeml version="5"><sequence><name>S</name>
<rate><timebase>30</timebase><ntsc>TRUE</ntsc></rate><timecode><displayformat>DF</displayformat></timecode>
<media><video><track>
<clipitem><name>A</name><start>0</start><end>100</end></clipitem>
<clipitem><name>B</name><start>87</start><end>187</end></clipitem>
</track></video></media></sequence></xmeml>)")
        << QByteArray("29.97df") << QByteArray("xmeml S 29.97df 0 187")
        << QByteArray("4 A/V1 0-100; 5 B/V1 87-187")
        << QByteArray("sum 200 unique 187 length 187 | V1 200 187") << QByteArray();

    QTest::newRow("xmeml: -1 without a transition, a frame that is not whole, no sequence")
        << QByteArray("25") << QByteArray(R"(<xmeml version="5"><sequence><media><video><track>
<clipitem><name>A</name><start>-1</start><end>10</end></clipitem>
<clipitem><name>B</name><start>10.5</start><end>20</end></clipitem>
<clipitem><name>C</name><start>20</start><end>30</end></clipitem>
</track></video></media></sequence></xmeml>)")
        << QByteArray() << QByteArray("xmeml - - 0 30") << QByteArray("4 C/V1 20-30")
        << QByteArray("sum 10 unique 10 length 30 | V1 10 10")
        << "2:1 " + fault(ELK_FAULT_NO_TRANSITION_BEFORE) + "; 3:1 " + fault(ELK_FAULT_NOT_A_FRAME_COUNT)
            + " start";

    // V1: A 0-48, a gap to 72, a transition (no room), B from its media's available range
    // 72-144, a nested stack trimmed to 24 (144-168), a nested track of 10 + gap 5 + 10
    // (168-193), a disabled clip 193-203. "Dialog" holds 200; the disabled V2 does not count.
    // Rates 23.976023976023978 and 23.976 are both 24000/1001; positions count from 0.
    QTest::newRow("otio: layout, nested stack and track, media range, disabled, NaN and huge numbers")
        << QByteArray()
        << "{\"OTIO_SCHEMA\": \"Timeline.1\", \"name\": \"Main\",\n"
           "\"global_start_time\": "
            + otioTime("86400.0", "23.976023976023978")
            + ",\n"
              "\"metadata\": {\"a\": NaN, \"b\": Infinity, \"c\": -Infinity, \"d\": "
              "123456789012345678901234567890},\n"
              "\"tracks\": {\"OTIO_SCHEMA\": \"Stack.1\", \"children\": [\n"
              "{\"OTIO_SCHEMA\": \"Track.1\", \"kind\": \"Video\", \"name\": \"\", \"source_range\": null, "
              "\"children\": [\n"
            + otioClip("A", "48", "23.976")
            + ",\n"
              "{\"OTIO_SCHEMA\": \"Gap.1\", \"source_range\": "
            + otioRange("24.0", "23.976023976023978")
            + "},\n"
              "{\"OTIO_SCHEMA\": \"Transition.1\", \"in_offset\": "
            + otioTime("12", "24") + ", \"out_offset\": " + otioTime("12", "24")
            + "},\n"
              "{\"OTIO_SCHEMA\": \"Clip.2\", \"name\": \"B\", \"source_range\": null, "
              "\"active_media_reference_key\": \"DEFAULT_MEDIA\", "
              "\"media_references\": {\"DEFAULT_MEDIA\": {\"OTIO_SCHEMA\": \"ExternalReference.1\", "
              "\"available_range\": "
            + otioRange("72", "23.976")
            + "}}},\n"
              "{\"OTIO_SCHEMA\": \"Stack.1\", \"name\": \"Nest\", \"source_range\": "
            + otioRange("24", "23.976") + ", \"children\": [{\"OTIO_SCHEMA\": \"Track.1\", \"children\": ["
            + otioClip("in", "100", "23.976")
            + "]}]},\n"
              "{\"OTIO_SCHEMA\": \"Track.1\", \"name\": \"Sub\", \"kind\": \"Video\", \"children\": ["
            + otioClip("s1", "10", "23.976") + ", {\"OTIO_SCHEMA\": \"Gap.1\", \"source_range\": "
            + otioRange("5", "23.976") + "}, " + otioClip("s2", "10", "23.976") + "]},\n"
            + otioClip("Off", "10", "23.976", "\"enabled\": false, ")
            + "]},\n"
              "{\"OTIO_SCHEMA\": \"Track.1\", \"kind\": \"Audio\", \"name\": \"Dialog\", \"children\": [\n"
            + otioClip("D", "200", "23.976")
            + "]},\n"
              "{\"OTIO_SCHEMA\": \"Track.1\", \"kind\": \"Video\", \"enabled\": false, \"children\": [\n"
            + otioClip("E", "500", "23.976")
            + "]}\n"
              "]}}\n"
        << QByteArray("23.976") << QByteArray("otio Main 23.976 2 200")
        << QByteArray("6 A/V1 0-48; 9 B/V1 72-144; 10 Nest/V1 144-168; 11 Sub/V1 168-193; 14 D/Dialog 0-200")
        << QByteArray("sum 369 unique 200 length 200 | V1 169 169 | Dialog 200 200") << QByteArray();

    // A collection of two timelines is two inputs; the first's metadata makes it drop frame.
    // 00:02:16:18 at 24 is 136.75 s: 3278.72 frames at 23.976, so 3279 (00:02:16:15).
    QTest::newRow("otio at 24 read at 23.976: its length at its own rate too")
        << QByteArray("23.976")
        << "{\"OTIO_SCHEMA\": \"Timeline.1\", \"name\": \"B\", \"tracks\": {\"OTIO_SCHEMA\": \"Stack.1\", "
           "\"children\": [{\"OTIO_SCHEMA\": \"Track.1\", \"kind\": \"Video\", \"children\": ["
            + otioClip("b", "3282", "24") + "]}]}}"
        << QByteArray("24") << QByteArray("otio B 24 0 3279/3282") << QByteArray("1 b/V1 0-3279")
        << QByteArray("sum 3279 unique 3279 length 3279 | V1 3279 3279") << QByteArray();
    QTest::newRow("otio: a collection of two timelines, drop frame from fcp_xml metadata")
        << QByteArray()
        << "{\"OTIO_SCHEMA\": \"SerializableCollection.1\", \"children\": [\n"
           "{\"OTIO_SCHEMA\": \"Timeline.1\", \"name\": \"T1\", \"metadata\": {\"fcp_xml\": {\"timecode\": "
           "{\"displayformat\": \"DF\"}}},\n"
           "\"tracks\": {\"OTIO_SCHEMA\": \"Stack.1\", \"children\": [{\"OTIO_SCHEMA\": \"Track.1\", "
           "\"kind\": \"Video\", \"children\": ["
            + otioClip("a", "30", "29.97002997002997")
            + "]}]}},\n"
              "{\"OTIO_SCHEMA\": \"Timeline.1\", \"name\": \"T2\",\n"
              "\"tracks\": {\"OTIO_SCHEMA\": \"Stack.1\", \"children\": [{\"OTIO_SCHEMA\": \"Track.1\", "
              "\"kind\": \"Audio\", \"children\": ["
            + otioClip("b", "1", "1") + "]}]}}\n]}"
        << QByteArray("29.97df") << QByteArray("otio T1 29.97df 0 30; otio T2 1 0 30/1")
        << QByteArray("3 a/V1 0-30; 5 b/A1 0-30")
        << QByteArray("sum 60 unique 60 length 60 | V1 30 30 | A1 30 30") << QByteArray();

    QTest::newRow("otio: not well-formed, at the parser's line and column")
        << QByteArray() << QByteArray("{\"OTIO_SCHEMA\": \"Timeline.1\",\n \"tracks\": [}\n") << QByteArray()
        << QByteArray("none - - 0 -") << QByteArray() << QByteArray("sum 0 unique - length -")
        << "2:13 " + fault(ELK_FAULT_NOT_WELL_FORMED) + " Invalid value.";

    QTest::newRow("otio: a clip alone is no timeline")
        << QByteArray() << QByteArray("{\"OTIO_SCHEMA\": \"Clip.2\", \"name\": \"x\"}") << QByteArray()
        << QByteArray("otio - - 0 -") << QByteArray() << QByteArray("sum 0 unique - length -")
        << "0:0 " + fault(ELK_FAULT_NO_TIMELINE);

    {
        const QByteArray deep = otioDeep(200);
        const int column = deep.indexOf("Stack.1", deep.indexOf("Track.1")) + 1;
        QTest::newRow("otio: stacks nested 200 deep are an error, not a crash")
            << QByteArray("24") << deep << QByteArray() << QByteArray("otio - - 0 0") << QByteArray()
            << QByteArray("sum 0 unique - length 0")
            << "1:" + QByteArray::number(column) + ' ' + fault(ELK_FAULT_TOO_DEEP);
    }

    {
        // The parser stops at the 1,001st bracket open, one past it.
        const QByteArray deep = otioDeep(50000);
        int at = -1;
        for (int opened = 0; opened < 1001;) opened += deep[++at] == '{' || deep[at] == '[';
        QTest::newRow("otio: JSON nested 100,000 deep stops the parser, not the stack")
            << QByteArray("24") << deep << QByteArray() << QByteArray("none - - 0 -") << QByteArray()
            << QByteArray("sum 0 unique - length -")
            << "1:" + QByteArray::number(at + 2) + ' ' + fault(ELK_FAULT_TOO_DEEP);
    }

    // Rows at 23.98 under a heading of 23.976, CRLF, blank lines: 01:00:10:00 is frame 86640.
    // Rows are separate material: the two overlap, yet each adds its whole duration.
    QTest::newRow("ale: FPS 23.976 with rows at 23.98, CRLF and blank lines")
        << QByteArray()
        << QByteArray("Heading\r\nFIELD_DELIM\tTABS\r\nVIDEO_FORMAT\t1080\r\nAUDIO_FORMAT\t48khz\r\nFPS\t23."
                      "976\r\n\r\n"
                      "Column\r\nName\tTracks\tStart\tEnd\tFPS\tTape\r\n\r\nData\r\n"
                      "A001C001\tVA1A2\t01:00:00:00\t01:00:10:00\t23.98\tA001\r\n"
                      "A001C002\tV\t01:00:05:00\t01:00:06:12\t23.98\tA001\r\n")
        << QByteArray("23.976") << QByteArray("ale - 23.976 0 -")
        << QByteArray("11 A001C001 86400-86640; 12 A001C002 86520-86556")
        << QByteArray("sum 276 unique 276 length -") << QByteArray();

    // Headings on the Heading line, Duration instead of End; frames 29 do not exist at 24.
    QTest::newRow("ale: 23:59:59:29 at 24 fps is an error at its row, the others read")
        << QByteArray()
        << QByteArray("Heading\tFIELD_DELIM\tTABS\tFPS\t24\nColumn\nName\tStart\tDuration\nData\n"
                      "Clip1\t00:00:01:00\t00:00:00:12\nBad\t23:59:59:29\t00:00:01:00\nClip3\t00:00:02:"
                      "00\t00:00:01:00\n")
        << QByteArray("24") << QByteArray("ale - 24 0 -") << QByteArray("5 Clip1 24-36; 7 Clip3 48-72")
        << QByteArray("sum 36 unique 36 length -") << "6:14 " + fault(ELK_FAULT_FRAMES) + " 24 [29 0 0 0]";

    // Time-of-day clips of a night shoot: 23:59:50;00 is frame 2,589,108 of a 2,589,408-frame
    // drop-frame day, and an End below its Start lies past midnight, 600 frames later.
    // A Start past 24 hours can leave its End before it even a day later.
    QTest::newRow("ale: an End past midnight at 29.97 drop frame is a day later")
        << QByteArray()
        << QByteArray("Heading\nFPS\t29.97\nColumn\nName\tStart\tEnd\nData\n"
                      "Night\t23:59:50;00\t00:00:10;00\nLate\t51:00:00;00\t01:00:10;00\n")
        << QByteArray("29.97") << QByteArray("ale - 29.97 0 -") << QByteArray("6 Night 2589108-2589708")
        << QByteArray("sum 600 unique 600 length -") << "7:18 " + fault(ELK_FAULT_OUT_DAY_BEFORE_IN);

    // 00:00:59;29 is frame 1799 at 29.97df, 00:01:00;02 frame 1800.
    QTest::newRow("an EDL's FCM: DROP FRAME before its first event is its own rate")
        << QByteArray()
        << QByteArray(
               "TITLE: DF\nFCM: DROP FRAME\n001 R V C 00:00:00;00 00:00:01;00 00:00:59;29 00:01:00;02\n")
        << QByteArray("29.97df") << QByteArray("edl - 29.97df 0 1") << QByteArray("3 R/V 1799-1800")
        << QByteArray("sum 1 unique 1 length 1 | V 1 1") << QByteArray();
    QTest::newRow("an FCM: DROP FRAME after the first event declares nothing")
        << QByteArray("29.97")
        << QByteArray("001 R V C 00:00:00:00 00:00:01:00 00:00:59:29 00:01:00:00\nFCM: DROP FRAME\n")
        << QByteArray() << QByteArray("edl - - 0 1") << QByteArray("1 R/V 1799-1800")
        << QByteArray("sum 1 unique 1 length 1 | V 1 1") << QByteArray();
    QTest::newRow("other xml and text read as a plain list")
        << QByteArray("25") << QByteArray("<doc/>\nScene 1 00:00:10:00\n") << QByteArray()
        << QByteArray("list - - 0 -") << QByteArray("2 Scene 1 250")
        << QByteArray("sum 250 unique - length -") << QByteArray();
}

void TestTimeline::faults_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("where");
    QTest::addColumn<int>("fault");
    QTest::addColumn<QByteArray>("reason");
    const QByteArray project = kFcpxmlHead + "<project name=\"P\"><sequence tcStart=\"0s\"><spine>\n";
    const QByteArray end = "\n</spine></sequence></project></fcpxml>";
    QTest::newRow("fcpxml: a negative duration")
        << project + R"(<clip name="a" duration="-1s"/>)" + end << QByteArray("5:1")
        << int(ELK_FAULT_NEGATIVE_DURATION) << QByteArray("negative duration");
    QTest::newRow("fcpxml: an offset that is not a time")
        << project + R"(<clip name="a" offset="1 s" duration="1s"/>)" + end << QByteArray("5:1")
        << int(ELK_FAULT_NOT_A_TIME) << QByteArray("offset is not a time");
    QTest::newRow("fcpxml: a lane that is no whole number")
        << project + R"(<clip name="a" duration="1s"><title lane="1.5" duration="1s"/></clip>)" + end
        << QByteArray("5:30") << int(ELK_FAULT_NOT_A_LANE)
        << QByteArray("lane 1.5 is not a whole number other than 0");
    QTest::newRow("fcpxml: a project without a sequence")
        << kFcpxmlHead + "<project name=\"P\"/></fcpxml>" << QByteArray("4:1") << int(ELK_FAULT_NO_SEQUENCE)
        << QByteArray("project without a sequence");
    QTest::newRow("xmeml: an end of -1 without a transition after it")
        << QByteArray(
               "<xmeml><sequence><media><video><track>\n<clipitem><start>0</start><end>-1</end></clipitem>\n"
               "</track></video></media></sequence></xmeml>")
        << QByteArray("2:1") << int(ELK_FAULT_NO_TRANSITION_AFTER)
        << QByteArray("end -1 without a transition after it");
    QTest::newRow("xmeml: an end before its start")
        << QByteArray(
               "<xmeml><sequence><media><video><track>\n<clipitem><start>9</start><end>3</end></clipitem>\n"
               "</track></video></media></sequence></xmeml>")
        << QByteArray("2:1") << int(ELK_FAULT_END_BEFORE_START) << QByteArray("end before start");
    const QByteArray track
        = R"({"OTIO_SCHEMA": "Timeline.1", "tracks": {"OTIO_SCHEMA": "Stack.1", "children": [
{"OTIO_SCHEMA": "Track.1", "kind": "Video", "children": [
)";
    QTest::newRow("otio: a clip with neither range")
        << track + R"({"OTIO_SCHEMA": "Clip.2"}]}]}})" << QByteArray("3:18") << int(ELK_FAULT_NO_RANGE)
        << QByteArray("clip with neither source_range nor available_range");
    QTest::newRow("otio: a gap without a duration")
        << track + R"({"OTIO_SCHEMA": "Gap.1", "source_range": {"OTIO_SCHEMA": "TimeRange.1"}}]}]}})"
        << QByteArray("3:18") << int(ELK_FAULT_MISSING) << QByteArray("no duration");
    QTest::newRow("ale: no Start column")
        << QByteArray("Heading\nFPS\t25\nColumn\nName\tEnd\nData\nA\t00:00:01:00\n") << QByteArray("4:1")
        << int(ELK_FAULT_NO_COLUMN) << QByteArray("no Start column");
    QTest::newRow("ale: a row with neither End nor Duration")
        << QByteArray("Heading\nFPS\t25\nColumn\nName\tStart\tEnd\nData\nA\t00:00:01:00\t\n")
        << QByteArray("6:3") << int(ELK_FAULT_NO_END) << QByteArray("neither End nor Duration");
    QTest::newRow("ale: minutes 61, at the minutes")
        << QByteArray("Heading\nFPS\t25\nColumn\nName\tStart\tEnd\nData\nA\t00:61:00:00\t00:62:00:00\n")
        << QByteArray("6:6") << int(ELK_FAULT_MINUTES) << QByteArray("minutes 61 at or above 60");
    QTest::newRow("ale: a skipped drop-frame label, named at the row's rate")
        << QByteArray(
               "Heading\nFPS\t25\nColumn\nName\tStart\tEnd\tFPS\nData\nA\t00:01:00;00\t00:02:00;00\t29.97\n")
        << QByteArray("6:3") << int(ELK_FAULT_NO_SUCH_LABEL)
        << QByteArray("00:01:00;00 does not exist at 29.97df");
    QTest::newRow("ale: one digit in a group, at the group")
        << QByteArray("Heading\nFPS\t25\nColumn\nName\tStart\tEnd\nData\nA\t0:00:01:00\t00:00:02:00\n")
        << QByteArray("6:3") << int(ELK_FAULT_GROUP_DIGITS) << QByteArray("a digit group needs two digits");
}

QTEST_GUILESS_MAIN(TestTimeline)
#include "tst_timeline.moc"
