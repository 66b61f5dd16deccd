#include "decode/DecoderLibrary.h"

#include "decode/LibraryLog.h"

#include <libsigrokdecode/libsigrokdecode.h>

#include <algorithm>
#include <charconv>
#include <map>
#include <memory>
#include <mutex>

namespace varnilog {

namespace {

std::mutex libraryMutex; // the library's decoder list is not safe to change from two threads

template <typename T, typename F> void eachOf(const GSList* list, F f) {
    for (const GSList* l = list; l != nullptr; l = l->next)
        f(static_cast<T>(l->data));
}

std::string text(const char* s) {
    return s ? std::string(s) : std::string();
}

DecoderOptionValue valueOf(GVariant* v) {
    if (v == nullptr)
        return std::string();
    if (g_variant_is_of_type(v, G_VARIANT_TYPE_INT64))
        return static_cast<std::int64_t>(g_variant_get_int64(v));
    if (g_variant_is_of_type(v, G_VARIANT_TYPE_DOUBLE))
        return g_variant_get_double(v);
    if (g_variant_is_of_type(v, G_VARIANT_TYPE_STRING))
        return text(g_variant_get_string(v, nullptr));
    return std::string();
}

std::vector<DecoderChannelInfo> channelsOf(const GSList* list) {
    std::vector<DecoderChannelInfo> out;
    eachOf<const srd_channel*>(list, [&](const srd_channel* c) {
        out.push_back({text(c->id), text(c->name), text(c->desc)});
    });
    return out;
}

std::vector<std::string> idsOf(const GSList* list) {
    std::vector<std::string> out;
    eachOf<const char*>(list, [&](const char* s) { out.push_back(text(s)); });
    return out;
}

std::unique_ptr<DecoderInfo> infoOf(const srd_decoder& d) {
    auto info = std::make_unique<DecoderInfo>();
    info->id = text(d.id);
    info->name = text(d.name);
    info->longName = text(d.longname);
    info->description = text(d.desc);
    info->channels = channelsOf(d.channels);
    info->optionalChannels = channelsOf(d.opt_channels);
    eachOf<const srd_decoder_option*>(d.options, [&](const srd_decoder_option* o) {
        DecoderOptionInfo option{text(o->id), text(o->desc), valueOf(o->def), {}};
        eachOf<GVariant*>(o->values, [&](GVariant* v) { option.values.push_back(valueOf(v)); });
        info->options.push_back(std::move(option));
    });
    eachOf<char**>(d.annotations, [&](char** a) {
        info->annotationClasses.push_back({text(a[0]), a[0] ? text(a[1]) : std::string()});
    });
    eachOf<const srd_decoder_annotation_row*>(d.annotation_rows, [&](const srd_decoder_annotation_row* r) {
        AnnotationRowInfo row{text(r->id), text(r->desc), {}};
        eachOf<gpointer>(r->ann_classes, [&](gpointer c) { row.classes.push_back(GPOINTER_TO_INT(c)); });
        info->rows.push_back(std::move(row));
    });
    info->inputs = idsOf(d.inputs);
    info->outputs = idsOf(d.outputs);
    return info;
}

// Decoders described so far, by id; they live as long as the process.
std::map<std::string, std::unique_ptr<DecoderInfo>, std::less<>>& described() {
    static std::map<std::string, std::unique_ptr<DecoderInfo>, std::less<>> map;
    return map;
}

const DecoderInfo* describe(const srd_decoder& d) {
    auto& map = described();
    const auto found = map.find(std::string_view(d.id));
    if (found != map.end())
        return found->second.get();
    return map.emplace(text(d.id), infoOf(d)).first->second.get();
}

} // namespace

const std::string& DecoderInfo::rowOf(int annotationClass) const {
    for (const AnnotationRowInfo& row : rows)
        if (std::find(row.classes.begin(), row.classes.end(), annotationClass) != row.classes.end())
            return row.id;
    static const std::string none;
    return annotationClass >= 0 && static_cast<std::size_t>(annotationClass) < annotationClasses.size()
               ? annotationClasses[static_cast<std::size_t>(annotationClass)].id
               : none;
}

const DecoderOptionInfo* DecoderInfo::option(std::string_view optionId) const {
    for (const DecoderOptionInfo& o : options)
        if (o.id == optionId)
            return &o;
    return nullptr;
}

int DecoderInfo::channelIndex(std::string_view channelId) const {
    int i = 0;
    for (const auto* list : {&channels, &optionalChannels})
        for (const DecoderChannelInfo& c : *list) {
            if (c.id == channelId)
                return i;
            ++i;
        }
    return -1;
}

bool startDecoderLibrary(std::string& error) {
    static std::once_flag once;
    static std::string startError;
    std::call_once(once, [] {
        installLibraryLog();
        // The decoders' own folder of the installed library (no path: its built-in search paths).
        if (const int rc = srd_init(nullptr); rc != SRD_OK)
            startError = std::string("libsigrokdecode: ") + srd_strerror(rc);
    });
    error = startError;
    return startError.empty();
}

const DecoderInfo* findDecoder(std::string_view id) {
    if (std::string error; !startDecoderLibrary(error))
        return nullptr;
    const std::lock_guard lock(libraryMutex);
    if (const auto found = described().find(id); found != described().end())
        return found->second.get();
    const std::string name(id);
    // A name that is no decoder folder would be taken as a path by Python's import.
    if (name.empty() || name.find_first_of("/.\\") != std::string::npos)
        return nullptr;
    const srd_decoder* d = srd_decoder_get_by_id(name.c_str());
    if (d == nullptr) {
        const LibraryLogQuiet quiet; // the library logs the failed import; the caller words it
        if (srd_decoder_load(name.c_str()) != SRD_OK)
            return nullptr;
        d = srd_decoder_get_by_id(name.c_str());
    }
    return d ? describe(*d) : nullptr;
}

std::vector<const DecoderInfo*> allDecoders() {
    std::vector<const DecoderInfo*> out;
    if (std::string error; !startDecoderLibrary(error))
        return out;
    const std::lock_guard lock(libraryMutex);
    {
        const LibraryLogQuiet quiet;
        srd_decoder_load_all();
    }
    eachOf<const srd_decoder*>(srd_decoder_list(),
                               [&](const srd_decoder* d) { out.push_back(describe(*d)); });
    std::sort(out.begin(), out.end(),
              [](const DecoderInfo* a, const DecoderInfo* b) { return a->id < b->id; });
    return out;
}

std::string optionValueText(const DecoderOptionValue& value) {
    if (const auto* s = std::get_if<std::string>(&value))
        return *s;
    char buffer[64];
    const auto end = std::holds_alternative<std::int64_t>(value)
                         ? std::to_chars(buffer, buffer + sizeof buffer, std::get<std::int64_t>(value)).ptr
                         : std::to_chars(buffer, buffer + sizeof buffer, std::get<double>(value)).ptr;
    return std::string(buffer, end);
}

std::string joinedIds(const std::vector<std::string>& ids) {
    std::string out;
    for (const std::string& id : ids)
        out += (out.empty() ? "" : ", ") + id;
    return out;
}

} // namespace varnilog
