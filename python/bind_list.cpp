// SPDX-License-Identifier: MIT
// read and read_text: lists, EDLs and timelines through ELKInput, the entry
// point horodex-tc sum reads with, so that a List holds what sum --json
// writes. Entries and errors are made into records as they are asked for,
// so that reading a long EDL costs what the library costs.
#include <cerrno>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "ELKInput.h"
#include "bind.h"

namespace
{

// Stable names of the library's faults, for programs to test against; the
// English reason is ELKList_ErrorText's.
const char* const kFaultCodes[] = {
    "none",
    "five-groups",
    "stray-character",
    "group-digits",
    "frame-digits",
    "wide-frame-digits",
    "list-time-groups",
    "edl-time-groups",
    "minutes-out-of-range",
    "seconds-out-of-range",
    "frames-out-of-range",
    "no-such-label",
    "time-too-large",
    "total-too-large",
    "bad-time",
    "three-times",
    "signed-in-out",
    "out-day-before-in",
    "duration-mismatch",
    "not-four-times",
    "out-before-in",
    "no-transition",
    "no-transition-duration",
    "no-track",
    "no-reel",
    "time-outside-event",
    "no-memory",
    "line-too-long",
    "not-text",
    "too-large",
    "not-well-formed",
    "no-timeline",
    "not-a-time",
    "not-a-frame-count",
    "missing",
    "negative-duration",
    "too-deep",
    "not-a-lane",
    "no-sequence",
    "no-transition-before",
    "no-transition-after",
    "end-before-start",
    "no-range",
    "no-column",
    "no-end",
    "cannot-open",
    "folder",
    "cue-time",
    "cue-arrow",
    "cue-end-before-start",
    "xml-not-timeline",
    "json-not-otio",
};
static_assert(std::size(kFaultCodes) == ELK_FAULT_COUNT, "a code for every fault");

const char* const kRateFrom[] = { "default", "option", "environment", "input" };

// Record types, made once with collections.namedtuple and kept for the
// process's life.
PyObject* gEntry;
PyObject* gError;
PyObject* gInput;
PyObject* gTrack;

py::object makeRecordType(const char* name, const char* fields, const char* doc)
{
    py::object type
        = py::module_::import("collections").attr("namedtuple")(name, fields, py::arg("module") = "horodex");
    type.attr("__doc__") = doc;
    return type;
}

// A record of the fields given: what the named tuple's own __new__ does, without
// its Python frame, which cost more than the library's whole share of a record.
py::object call(PyObject* type, py::tuple fields)
{
    PyObject* record
        = PyTuple_Type.tp_new(reinterpret_cast<PyTypeObject*>(type), py::make_tuple(fields).ptr(), nullptr);
    if (!record) throw py::error_already_set();
    return py::reinterpret_steal<py::object>(record);
}

struct List {
    ELKList_t list;
    std::vector<py::object> files; // the file each input came from, or None
    List(const ELKTimebase_t& tb, ELKRateFrom_t rateFrom) { ELKList_Init(&list, &tb, rateFrom); }
    ~List() { ELKList_Destroy(&list); }
    List(const List&) = delete;
    List& operator=(const List&) = delete;

    py::object duration(int64_t frames) const { return newDuration(frames, list.base); }
    py::object durationOr(bool has, int64_t frames) const { return has ? duration(frames) : py::none(); }
    py::str text(int64_t at, int32_t length) const
    {
        return utf8(list.text + at, length > 0 ? size_t(length) : 0);
    }

    py::object entry(int64_t i) const
    {
        const ELKListEntry_t& e = list.entries[i];
        const bool inOut = e.hasInOut == ELK_TRUE;
        return call(gEntry,
            py::make_tuple(files[size_t(e.input)], e.line, text(e.label, e.labelLength),
                e.trackLength > 0 ? py::object(text(e.track, e.trackLength)) : py::none(),
                durationOr(inOut, e.in), durationOr(inOut, e.out), duration(e.duration),
                duration(e.running)));
    }

    py::object error(int64_t i) const
    {
        const ELKListError_t& e = list.errors[i];
        char why[ELK_LIST_REASON_MAX];
        const int32_t n = ELKList_ErrorText(&list, &e, why, sizeof why);
        const int fault = e.fault >= 0 && e.fault < ELK_FAULT_COUNT ? int(e.fault) : int(ELK_FAULT_NONE);
        return call(gError,
            py::make_tuple(files[size_t(e.input)], e.line, e.column, kFaultCodes[fault],
                utf8(why, n > 0 ? size_t(n) : 0), text(e.text, e.textLength)));
    }

    py::object input(int32_t i) const
    {
        const ELKListInput_t& in = list.inputList[i];
        const char* format = ELKList_FormatName(in.format);
        return call(gInput,
            py::make_tuple(files[size_t(i)],
                in.hasName == ELK_TRUE ? py::object(text(in.name, in.nameLength)) : py::none(),
                format ? py::object(py::str(format)) : py::none(),
                in.hasRate == ELK_TRUE ? newTimebase(in.rate) : py::none(), in.entries, in.errors, in.leftOut,
                durationOr(in.hasLength == ELK_TRUE, in.length),
                in.hasOwnLength == ELK_TRUE ? newDuration(in.ownLength, in.rate) : py::none(),
                duration(in.total), durationOr(in.hasUnique == ELK_TRUE, in.unique)));
    }
};

// A read-only sequence over a list's entries or errors.
struct Records {
    std::shared_ptr<const List> owner;
    bool errors;

    int64_t size() const { return errors ? owner->list.errorCount : owner->list.entryCount; }
    py::object at(int64_t i) const { return errors ? owner->error(i) : owner->entry(i); }
};

// The list's timebase as horodex-tc sum picks it: the rate given, else the
// first input's own (ELK_RATE_OWN), else $HORODEX_RATE, else 30.
std::shared_ptr<List> newList(py::handle rate)
{
    ELKTimebase_t tb {};
    if (!rate.is_none()) return std::make_shared<List>(toTimebase(rate), ELK_RATE_FROM_OPTION);
    const py::object environment = py::module_::import("os").attr("environ").attr("get")("HORODEX_RATE");
    if (!environment.is_none() && py::len(environment) > 0) {
        try {
            tb = toTimebase(environment);
        } catch (const py::value_error&) {
            throw py::value_error("not a timebase in HORODEX_RATE: " + std::string(py::repr(environment)));
        }
        return std::make_shared<List>(tb, ELK_RATE_FROM_ENVIRONMENT);
    }
    ELKTimebase_Set(&tb, 30, 1, ELK_FALSE);
    return std::make_shared<List>(tb, ELK_RATE_FROM_DEFAULT);
}

ELKReadOptions_t firstInputOptions(py::handle rate)
{
    return ELKReadOptions_t { rate.is_none() ? ELK_RATE_OWN : ELK_RATE_KEEP };
}

std::shared_ptr<List> readFiles(py::args paths, py::handle rate)
{
    if (paths.empty()) throw py::type_error("read() needs at least one file");
    const py::object os = py::module_::import("os");
    std::vector<std::string> encoded;
    std::vector<py::object> names;
    for (py::handle p : paths) {
        names.push_back(os.attr("fsdecode")(p));
        encoded.push_back(py::bytes(os.attr("fsencode")(p)));
    }
    std::shared_ptr<List> lst = newList(rate);
    ELKList_t& list = lst->list;
    std::vector<size_t> inputFile;
    size_t unreadable = encoded.size();
    int32_t why = 0;
    {
        py::gil_scoped_release release;
        for (size_t i = 0; i < encoded.size(); ++i) {
            const ELKReadOptions_t options
                = i == 0 ? firstInputOptions(rate) : ELKReadOptions_t { ELK_RATE_KEEP };
            const int64_t errorsBefore = list.errorCount;
            ELKInput_ReadFile(&list, encoded[i].c_str(), &options);
            inputFile.resize(size_t(list.inputs), i);
            for (int64_t e = errorsBefore; e < list.errorCount && unreadable == encoded.size(); ++e) {
                const ELKListError_t& error = list.errors[e];
                if (error.fault == ELK_FAULT_CANNOT_OPEN || error.fault == ELK_FAULT_FOLDER) {
                    unreadable = i;
                    why = error.fault == ELK_FAULT_FOLDER ? EISDIR : int32_t(error.value[0]);
                }
            }
            if (unreadable != encoded.size()) break;
        }
    }
    if (unreadable != encoded.size()) {
        errno = why;
        PyErr_SetFromErrnoWithFilenameObject(PyExc_OSError, names[unreadable].ptr());
        throw py::error_already_set();
    }
    for (size_t i : inputFile) lst->files.push_back(names[i]);
    return lst;
}

std::shared_ptr<List> readText(py::handle text, py::handle rate)
{
    std::string bytes;
    if (PyUnicode_Check(text.ptr())) {
        Py_ssize_t size;
        const char* utf8 = PyUnicode_AsUTF8AndSize(text.ptr(), &size);
        if (!utf8) throw py::error_already_set();
        bytes.assign(utf8, size_t(size));
    } else if (PyObject_CheckBuffer(text.ptr())) {
        PyObject* copy = PyBytes_FromObject(text.ptr());
        if (!copy) throw py::error_already_set();
        bytes = py::bytes(py::reinterpret_steal<py::object>(copy));
    } else {
        throw py::type_error(
            "read_text() takes str or bytes, not " + std::string(py::str(text.get_type().attr("__name__"))));
    }
    std::shared_ptr<List> lst = newList(rate);
    const ELKReadOptions_t options = firstInputOptions(rate);
    {
        py::gil_scoped_release release;
        ELKInput_ReadBytes(&lst->list, bytes.data(), int64_t(bytes.size()), &options);
    }
    lst->files.assign(size_t(lst->list.inputs), py::none());
    return lst;
}

const char* const kListDoc
    = R"(What read() and read_text() give: the entries, errors and totals of every input,
as horodex-tc sum --json has them, in frames at one timebase (rate).

rate_from says where that timebase came from: 'option', 'environment' ($HORODEX_RATE),
'input' (the first input's own) or 'default' (30). total, unique and length are
Durations, or None where there is none; tracks maps each track's name to its Track.
entries and errors are sequences of Entry and Error records; inputs a list of Input.
ok is True when no line or input was left out.)";

} // namespace

void bindList(py::module_& m)
{
    // The docstrings below say how to call each function in Python's own terms.
    py::options options;
    options.disable_function_signatures();
    gEntry = makeRecordType("Entry", "file line label track in_ out duration running",
        "One counted line or clip: its file (None for read_text), line, label or reel, track (or None),\n"
        "in_ and out (None for a lone duration), duration and running total.")
                 .release()
                 .ptr();
    gError = makeRecordType("Error", "file line column code message text",
        "A line or input left out: file, line (0 for the whole input), column in characters from 1,\n"
        "a stable code such as 'frames-out-of-range', the reason in English, and the line's text.")
                 .release()
                 .ptr();
    gInput = makeRecordType("Input",
        "file name format rate entries errors left_out length own_length total unique",
        "One input (a file, or a project, sequence or timeline in it): its format ('edl', 'list',\n"
        "'fcpxml', 'xmeml', 'otio', 'ale', 'srt', 'vtt'), its own rate or None, counts, and its\n"
        "Durations; own_length is its length at its own rate, where it has one.")
                 .release()
                 .ptr();
    gTrack
        = makeRecordType("Track", "total unique", "The sum and unique length of one track, over every input.")
              .release()
              .ptr();
    m.add_object("Entry", py::handle(gEntry));
    m.add_object("Error", py::handle(gError));
    m.add_object("Input", py::handle(gInput));
    m.add_object("Track", py::handle(gTrack));

    py::class_<Records>(m, "Records", "A read-only sequence of Entry or Error records.")
        .def("__len__", &Records::size, "The number of records.")
        .def(
            "__getitem__",
            [](const Records& r, py::handle index) -> py::object {
                const int64_t n = r.size();
                if (PySlice_Check(index.ptr())) {
                    size_t start, stop, step, count;
                    if (!py::reinterpret_borrow<py::slice>(index).compute(
                            size_t(n), &start, &stop, &step, &count))
                        throw py::error_already_set();
                    py::list out(count);
                    for (size_t k = 0; k < count; ++k) out[k] = r.at(int64_t(start + k * step));
                    return std::move(out);
                }
                if (!PyIndex_Check(index.ptr())) throw py::type_error("indices are ints or slices");
                int64_t i = PyNumber_AsSsize_t(index.ptr(), PyExc_IndexError);
                if (i == -1 && PyErr_Occurred()) throw py::error_already_set();
                if (i < 0) i += n;
                if (i < 0 || i >= n) throw py::index_error("index out of range");
                return r.at(i);
            },
            "The record at an index (negative from the end), or a list of those of a slice.")
        .def("__repr__", [](const Records& r) {
            return std::string(r.errors ? "<errors: " : "<entries: ") + std::to_string(r.size()) + ">";
        });

    py::class_<List, std::shared_ptr<List>>(m, "List", kListDoc)
        .def_property_readonly(
            "rate", [](const List& l) { return newTimebase(l.list.base); }, "The Timebase every count is at.")
        .def_property_readonly(
            "rate_from",
            [](const List& l) {
                return kRateFrom[l.list.rateFrom >= 0 && l.list.rateFrom < 4 ? l.list.rateFrom : 0];
            },
            "Where rate came from: 'option', 'environment', 'input' or 'default'.")
        .def_property_readonly(
            "lines", [](const List& l) { return l.list.lines; }, "Lines read, over all inputs.")
        .def_property_readonly(
            "total", [](const List& l) { return l.duration(l.list.sum); }, "The sum of every duration.")
        .def_property_readonly(
            "unique", [](const List& l) { return l.durationOr(l.list.hasUnique == ELK_TRUE, l.list.unique); },
            "The union of the [in, out) intervals within each input, added up; None without any.")
        .def_property_readonly(
            "length", [](const List& l) { return l.durationOr(l.list.hasLength == ELK_TRUE, l.list.length); },
            "The inputs' lengths added up (three reels make the feature); None without any.")
        .def_property_readonly(
            "left_out", [](const List& l) { return l.list.leftOut; },
            "Items left out on purpose (disabled clips), not errors.")
        .def_property_readonly(
            "tracks",
            [](const List& l) {
                py::dict out;
                for (int32_t i = 0; i < l.list.trackCount; ++i) {
                    const ELKListTrack_t& t = l.list.tracks[i];
                    out[l.text(t.name, t.nameLength)]
                        = call(gTrack, py::make_tuple(l.duration(t.sum), l.duration(t.unique)));
                }
                return out;
            },
            "{name: Track(total, unique)} for each EDL or timeline track, merged by name, in file order.")
        .def_property_readonly(
            "entries",
            [](const std::shared_ptr<List>& l) {
                return Records { l, false };
            },
            "Every counted line or clip, an Entry each, made as it is asked for.")
        .def_property_readonly(
            "errors",
            [](const std::shared_ptr<List>& l) {
                return Records { l, true };
            },
            "Every line or input left out, an Error each, in the order read.")
        .def_property_readonly(
            "inputs",
            [](const List& l) {
                py::list out;
                for (int32_t i = 0; i < l.list.inputs; ++i) out.append(l.input(i));
                return out;
            },
            "An Input for each file, or each project, sequence or timeline in it.")
        .def_property_readonly(
            "ok", [](const List& l) { return l.list.errorCount == 0; },
            "True when nothing was left out: horodex-tc sum's exit status 0.")
        .def("__repr__", [](const List& l) {
            char rate[ELK_DURATION_TEXT_MAX];
            if (ELKTimebase_ToText(&l.list.base, rate, sizeof rate) < 0) rate[0] = '\0';
            return "<horodex.List at " + std::string(rate) + ": " + std::to_string(l.list.entryCount)
                + " entries, " + std::to_string(l.list.errorCount) + " errors, total "
                + std::string(py::str(l.duration(l.list.sum))) + ">";
        });

    m.def("read", &readFiles, py::arg("rate") = py::none(),
        "read(*files, rate=None) -> List\n\n"
        "Reads lists, EDLs, subtitles (SubRip, WebVTT) and timelines (FCPXML and .fcpxmld bundles,\n"
        "FCP7 XML, OpenTimelineIO, ALE), told by content, as horodex-tc sum does. Files are str or "
        "os.PathLike. The list\n"
        "counts at rate (a Timebase, its text or an int), else at the first file's own rate, else\n"
        "at $HORODEX_RATE, else at 30. A file that cannot be opened raises OSError; anything\n"
        "else that cannot be read is an Error in the list. The GIL is released while reading.");
    m.def("read_text", &readText, py::arg("text"), py::arg("rate") = py::none(),
        "read_text(text, rate=None) -> List\n\n"
        "Reads one input from a str, or from bytes decoded as files are (UTF-16 by its mark,\n"
        "UTF-8, else Windows-1252). The rate as in read().");
}
