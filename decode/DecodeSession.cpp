#include "decode/DecodeSession.h"

#include "decode/LibraryLog.h"

#include <libsigrokdecode/libsigrokdecode.h>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace varnilog {

namespace {

std::string allowedValues(const DecoderOptionInfo& o) {
    if (o.values.empty())
        return std::holds_alternative<std::int64_t>(o.defaultValue) ? "an integer"
               : std::holds_alternative<double>(o.defaultValue)     ? "a number"
                                                                    : "a text";
    std::vector<std::string> texts;
    for (const DecoderOptionValue& v : o.values)
        texts.push_back(optionValueText(v));
    return joinedIds(texts);
}

// The text typed as the option's default is; false when it is not of that type or not allowed.
bool typedValue(const DecoderOptionInfo& o, const std::string& text, DecoderOptionValue& value) {
    const char* end = text.data() + text.size();
    if (std::holds_alternative<std::int64_t>(o.defaultValue)) {
        std::int64_t n = 0;
        const auto r = std::from_chars(text.data(), end, n);
        if (text.empty() || r.ec != std::errc() || r.ptr != end)
            return false;
        value = n;
    } else if (std::holds_alternative<double>(o.defaultValue)) {
        double x = 0;
        const auto r = std::from_chars(text.data(), end, x);
        if (text.empty() || r.ec != std::errc() || r.ptr != end || !std::isfinite(x))
            return false;
        value = x;
    } else {
        value = text;
    }
    return o.values.empty() || std::find(o.values.begin(), o.values.end(), value) != o.values.end();
}

GVariant* variantOf(const DecoderOptionValue& v) {
    if (const auto* s = std::get_if<std::string>(&v))
        return g_variant_new_string(s->c_str());
    if (const auto* n = std::get_if<std::int64_t>(&v))
        return g_variant_new_int64(*n);
    return g_variant_new_double(std::get<double>(v));
}

std::vector<std::string> idsOf(const std::vector<DecoderChannelInfo>& a,
                               const std::vector<DecoderChannelInfo>& b) {
    std::vector<std::string> ids;
    for (const auto* list : {&a, &b})
        for (const DecoderChannelInfo& c : *list)
            ids.push_back(c.id);
    return ids;
}

bool stacksOn(const DecoderInfo& upper, const std::vector<std::string>& lowerOutputs) {
    return std::any_of(upper.inputs.begin(), upper.inputs.end(), [&](const std::string& in) {
        return std::find(lowerOutputs.begin(), lowerOutputs.end(), in) != lowerOutputs.end();
    });
}

// A decoder's exception as one line: the last line of the traceback the library logged, which
// names the exception and its message.
std::string exceptionLine(const std::string& log) {
    std::string line;
    std::size_t begin = 0;
    while (begin < log.size()) {
        std::size_t end = log.find('\n', begin);
        if (end == std::string::npos)
            end = log.size();
        std::string candidate = log.substr(begin, end - begin);
        while (!candidate.empty() && (candidate.back() == ' ' || candidate.back() == '\r'))
            candidate.pop_back();
        const std::size_t lead = candidate.find_first_not_of(' ');
        if (lead != std::string::npos)
            line = candidate.substr(lead);
        begin = end + 1;
    }
    return line.empty() ? std::string("failed") : line;
}

struct OptionTable {
    GHashTable* table = g_hash_table_new_full(g_str_hash, g_str_equal, g_free,
                                              reinterpret_cast<GDestroyNotify>(g_variant_unref));
    ~OptionTable() { g_hash_table_destroy(table); }
    void add(const std::string& key, GVariant* v) {
        g_hash_table_insert(table, g_strdup(key.c_str()), g_variant_ref_sink(v));
    }
};

} // namespace

std::vector<std::string> installedDecoderIds() {
    std::vector<std::string> ids;
    for (const DecoderInfo* d : allDecoders())
        ids.push_back(d->id);
    return ids;
}

std::unique_ptr<DecodeSession> DecodeSession::create(const std::vector<DecoderSetting>& stack,
                                                     const std::vector<std::pair<std::string, int>>& channels,
                                                     std::uint64_t sampleRateHz, DecodeProblem& problem) {
    problem = {};
    if (std::string error; !startDecoderLibrary(error)) {
        problem = {DecodeProblemKind::Library, {}, {}, {}, {}, error};
        return nullptr;
    }
    std::unique_ptr<DecodeSession> s(new DecodeSession);
    std::vector<std::vector<std::pair<std::string, DecoderOptionValue>>> options;
    for (const DecoderSetting& setting : stack) {
        const DecoderInfo* d = findDecoder(setting.id);
        if (d == nullptr) {
            problem = {DecodeProblemKind::UnknownDecoder, setting.id, {}, {},
                       joinedIds(installedDecoderIds()),  {}};
            return nullptr;
        }
        const std::vector<std::string> below =
            s->decoders_.empty() ? std::vector<std::string>{"logic"} : s->decoders_.back()->outputs;
        if (!stacksOn(*d, below)) {
            problem = {DecodeProblemKind::CannotStack,
                       d->id,
                       s->decoders_.empty() ? std::string("logic") : s->decoders_.back()->id,
                       {},
                       joinedIds(d->inputs),
                       {}};
            return nullptr;
        }
        auto& typed = options.emplace_back();
        for (const auto& [name, text] : setting.options) {
            const DecoderOptionInfo* o = d->option(name);
            if (o == nullptr) {
                std::vector<std::string> ids;
                for (const DecoderOptionInfo& known : d->options)
                    ids.push_back(known.id);
                problem = {DecodeProblemKind::UnknownOption,      d->id, name, {},
                           ids.empty() ? "none" : joinedIds(ids), {}};
                return nullptr;
            }
            DecoderOptionValue value;
            if (!typedValue(*o, text, value)) {
                problem = {DecodeProblemKind::OptionValue, d->id, name, text, allowedValues(*o), {}};
                return nullptr;
            }
            typed.emplace_back(name, std::move(value));
        }
        s->decoders_.push_back(d);
    }
    if (stack.empty()) {
        problem = {DecodeProblemKind::UnknownDecoder, {}, {}, {}, joinedIds(installedDecoderIds()), {}};
        return nullptr;
    }
    const DecoderInfo& bottom = *s->decoders_.front();
    for (const auto& [id, bit] : channels)
        if (bottom.channelIndex(id) < 0) {
            problem = {DecodeProblemKind::UnknownChannel,
                       bottom.id,
                       id,
                       {},
                       joinedIds(idsOf(bottom.channels, bottom.optionalChannels)),
                       {}};
            return nullptr;
        }
    for (const DecoderChannelInfo& c : bottom.channels)
        if (std::none_of(channels.begin(), channels.end(), [&](const auto& m) { return m.first == c.id; })) {
            problem = {DecodeProblemKind::MissingChannel, bottom.id, c.id, {}, {}, {}};
            return nullptr;
        }

    takeLibraryErrors();
    const auto setupFailed = [&](const std::string& decoder) {
        problem = {DecodeProblemKind::Setup, decoder, {}, {}, {}, exceptionLine(takeLibraryErrors())};
        return nullptr;
    };
    if (srd_session_new(&s->session_) != SRD_OK)
        return setupFailed(bottom.id);
    for (std::size_t i = 0; i < stack.size(); ++i) {
        OptionTable table;
        for (const auto& [name, value] : options[i])
            table.add(name, variantOf(value));
        srd_decoder_inst* di = srd_inst_new(s->session_, s->decoders_[i]->id.c_str(), table.table);
        if (di == nullptr)
            return setupFailed(s->decoders_[i]->id);
        if (i > 0 && srd_inst_stack(s->session_, s->instances_.back(), di) != SRD_OK)
            return setupFailed(s->decoders_[i]->id);
        s->instances_.push_back(di);
    }
    OptionTable map;
    for (const auto& [id, bit] : channels)
        map.add(id, g_variant_new_int32(bit));
    if (srd_inst_channel_set_all(s->instances_.front(), map.table) != SRD_OK)
        return setupFailed(bottom.id);
    // The instances that exist when it is set get the rate.
    srd_session_metadata_set(s->session_, SRD_CONF_SAMPLERATE, g_variant_new_uint64(sampleRateHz));
    srd_pd_output_callback_add(s->session_, SRD_OUTPUT_ANN, &DecodeSession::onAnnotation, s.get());
    return s;
}

DecodeSession::~DecodeSession() {
    if (session_ != nullptr) {
        const LibraryLogQuiet quiet;
        srd_session_destroy(session_);
    }
}

void DecodeSession::onAnnotation(srd_proto_data* data, void* self) {
    auto& s = *static_cast<DecodeSession*>(self);
    const auto found = std::find(s.instances_.begin(), s.instances_.end(), data->pdo->di);
    if (found == s.instances_.end())
        return;
    const auto* a = static_cast<const srd_proto_data_annotation*>(data->data);
    Annotation out{static_cast<std::int64_t>(data->start_sample + s.base_),
                   static_cast<std::int64_t>(data->end_sample + s.base_),
                   static_cast<int>(found - s.instances_.begin()),
                   a->ann_class,
                   {}};
    for (char** t = a->ann_text; t != nullptr && *t != nullptr; ++t)
        out.texts.emplace_back(*t);
    const std::lock_guard<std::mutex> lock(s.annotationsLock_);
    s.annotations_.push_back(std::move(out));
}

bool DecodeSession::feed(std::uint64_t first, const std::uint8_t* logic, std::size_t n) {
    if (problem_.failed())
        return false;
    if (!started_) {
        takeLibraryErrors();
        if (srd_session_start(session_) != SRD_OK) {
            problem_ = {DecodeProblemKind::Setup,          decoders_.front()->id, {}, {}, {},
                        exceptionLine(takeLibraryErrors())};
            return false;
        }
        started_ = true;
        base_ = first;
    }
    if (n == 0)
        return true;
    if (srd_session_send(session_, first - base_, first - base_ + n, logic, n, 1) == SRD_OK)
        return true;
    // The decoder's thread logs its exception after it stopped: the reset waits for it.
    srd_session_terminate_reset(session_);
    const std::string log = takeLibraryErrors();
    // The library names the instance that failed ("Protocol decoder instance uart-1: ...").
    std::string decoder = decoders_.front()->id;
    for (std::size_t i = 0; i < instances_.size(); ++i)
        if (log.find(std::string("instance ") + instances_[i]->inst_id + ":") != std::string::npos)
            decoder = decoders_[i]->id;
    problem_ = {DecodeProblemKind::DecoderFailed, decoder, {}, {}, {}, exceptionLine(log)};
    return false;
}

std::vector<Annotation> DecodeSession::takeAnnotations() {
    std::vector<Annotation> out;
    const std::lock_guard<std::mutex> lock(annotationsLock_);
    out.swap(annotations_);
    return out;
}

} // namespace varnilog
