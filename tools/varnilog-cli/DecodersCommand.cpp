// decoders: the protocol decoders the installed libsigrokdecode offers, with their channels,
// options, annotations and what they stack on, as text or JSON.
#include "CliSupport.h"

#include "decode/DecoderLibrary.h"

#include <cstdio>

namespace varnilog::cli {

namespace {

constexpr CliOption kDecodersOptions[] = {
    {"json", nullptr, "Print the decoders as JSON."},
};

constexpr CliCommand kDecoders{
    "decoders",
    "Lists the protocol decoders of the installed libsigrokdecode: channels, options, annotations and "
    "what each one stacks on.",
    0,
    "",
    "",
    kDecodersOptions};

QByteArray json(const std::string& text) {
    return jsonString(QString::fromStdString(text));
}

QByteArray jsonValue(const DecoderOptionValue& v) {
    if (const auto* s = std::get_if<std::string>(&v))
        return json(*s);
    return QByteArray::fromStdString(optionValueText(v));
}

template <typename T, typename F> QByteArray jsonList(const std::vector<T>& items, F item) {
    QByteArray out = "[";
    for (std::size_t i = 0; i < items.size(); ++i)
        out += (i ? ", " : "") + item(items[i]);
    return out + "]";
}

QByteArray jsonChannels(const std::vector<DecoderChannelInfo>& channels) {
    return jsonList(channels, [](const DecoderChannelInfo& c) {
        return "{\"id\": " + json(c.id) + ", \"name\": " + json(c.name) +
               ", \"description\": " + json(c.description) + "}";
    });
}

QByteArray jsonDecoder(const DecoderInfo& d) {
    const auto ids = [](const std::vector<std::string>& v) { return jsonList(v, json); };
    return "{\"id\": " + json(d.id) + ", \"name\": " + json(d.name) + ", \"longname\": " + json(d.longName) +
           ", \"description\": " + json(d.description) + ", \"inputs\": " + ids(d.inputs) +
           ", \"outputs\": " + ids(d.outputs) + ", \"channels\": " + jsonChannels(d.channels) +
           ", \"optional_channels\": " + jsonChannels(d.optionalChannels) + ", \"options\": " +
           jsonList(d.options,
                    [](const DecoderOptionInfo& o) {
                        return "{\"id\": " + json(o.id) + ", \"description\": " + json(o.description) +
                               ", \"default\": " + jsonValue(o.defaultValue) + ", \"values\": " +
                               jsonList(o.values, [](const auto& v) { return jsonValue(v); }) + "}";
                    }) +
           ", \"annotation_classes\": " +
           jsonList(d.annotationClasses,
                    [](const AnnotationClassInfo& a) {
                        return "{\"id\": " + json(a.id) + ", \"description\": " + json(a.description) + "}";
                    }) +
           ", \"annotation_rows\": " +
           jsonList(d.rows,
                    [&](const AnnotationRowInfo& r) {
                        return "{\"id\": " + json(r.id) + ", \"description\": " + json(r.description) +
                               ", \"classes\": " +
                               jsonList(
                                   r.classes,
                                   [&](int c) {
                                       return c >= 0 &&
                                                      static_cast<std::size_t>(c) < d.annotationClasses.size()
                                                  ? json(d.annotationClasses[static_cast<std::size_t>(c)].id)
                                                  : QByteArray("null");
                                   }) +
                               "}";
                    }) +
           "}";
}

std::string channelText(const std::vector<DecoderChannelInfo>& channels) {
    std::string out;
    for (const DecoderChannelInfo& c : channels)
        out += (out.empty() ? "" : ", ") + c.id + " (" + c.description + ")";
    return out.empty() ? "none" : out;
}

QByteArray textDecoder(const DecoderInfo& d) {
    std::vector<std::string> lines{d.id + ": " + d.longName + " - " + d.description,
                                   "  stacks on: " + joinedIds(d.inputs) + "; gives: " +
                                       (d.outputs.empty() ? "annotations" : joinedIds(d.outputs)),
                                   "  channels: " + channelText(d.channels)};
    if (!d.optionalChannels.empty())
        lines.push_back("  optional channels: " + channelText(d.optionalChannels));
    for (const DecoderOptionInfo& o : d.options) {
        std::vector<std::string> values;
        for (const DecoderOptionValue& v : o.values)
            values.push_back(optionValueText(v));
        lines.push_back("  option " + o.id + ": " + o.description + " (default " +
                        optionValueText(o.defaultValue) + (values.empty() ? "" : "; " + joinedIds(values)) +
                        ")");
    }
    std::vector<std::string> classes;
    for (const AnnotationClassInfo& a : d.annotationClasses)
        classes.push_back(a.id);
    lines.push_back("  classes: " + joinedIds(classes));
    for (const AnnotationRowInfo& r : d.rows) {
        std::vector<std::string> ids;
        for (const int c : r.classes)
            if (c >= 0 && static_cast<std::size_t>(c) < d.annotationClasses.size())
                ids.push_back(d.annotationClasses[static_cast<std::size_t>(c)].id);
        lines.push_back("  row " + r.id + " (" + r.description + "): " + joinedIds(ids));
    }
    QByteArray out;
    for (const std::string& line : lines)
        out += printed(printableText(QString::fromStdString(line))) + '\n';
    return out;
}

} // namespace

int runDecoders(const QStringList& args) {
    QCommandLineParser parser;
    if (const int rc = parseCommand(parser, args, kDecoders); rc >= 0)
        return rc;
    if (std::string error; !startDecoderLibrary(error))
        return fail(QString::fromStdString(error));
    const std::vector<const DecoderInfo*> decoders = allDecoders();
    QByteArray out;
    if (parser.isSet(QStringLiteral("json"))) {
        out = "{\"decoders\": " + jsonList(decoders, [](const DecoderInfo* d) { return jsonDecoder(*d); }) +
              ", \"count\": " + QByteArray::number(static_cast<qsizetype>(decoders.size())) + "}\n";
    } else {
        for (const DecoderInfo* d : decoders)
            out += textDecoder(*d);
    }
    std::fwrite(out.constData(), 1, static_cast<std::size_t>(out.size()), stdout);
    return ExitOk;
}

} // namespace varnilog::cli
