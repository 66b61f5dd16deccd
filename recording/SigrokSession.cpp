#include "recording/SigrokSession.h"

#include "recording/SafeFile.h"
#include "recording/WavFormat.h"
#include "recording/ZipLibrary.h"
#include "view/ScaleTables.h"

#include <QCoreApplication>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <deque>
#include <vector>

namespace varnilog {

namespace {

// The archive's bytes go to the export's device, gathered into large writes; libzip goes back to fill
// in each member's sizes, which rewrites bytes already handed on.
struct ArchiveSink {
    QIODevice& out;
    qint64 position = 0; // where the next write goes
    qint64 end = 0;      // bytes taken so far, the pending ones too
    zip_error_t error{};
    bool committed = false;
    CoreError reason;
    std::vector<char> pending; // the last bytes taken, not yet on the device (capacity kept)

    bool put(const char* data, qint64 size) {
        if (position == end) {
            pending.insert(pending.end(), data, data + size);
            end += size;
            position = end;
            return pending.size() < kPendingBytes || flush();
        }
        if (position + size > end)
            return fail(QStringLiteral("the archive writer went past its end"));
        if (!flush())
            return false;
        if (auto* safe = dynamic_cast<SafeFile*>(&out)) {
            if (!safe->rewrite(position, data, size))
                return fail(safe->errorString());
        } else if (out.isSequential() || !out.seek(position) || out.write(data, size) != size ||
                   !out.seek(end)) {
            return fail(out.errorString());
        }
        position += size;
        return true;
    }
    bool flush() {
        const bool ok = writeWhole(out, pending.data(), static_cast<qint64>(pending.size()), reason);
        pending.clear();
        return ok;
    }
    bool fail(const QString& why) {
        reason = CoreError::worded(why);
        return false;
    }
    static constexpr std::size_t kPendingBytes = 1 << 20;
};

zip_int64_t archiveCallback(void* user, void* data, zip_uint64_t len, zip_source_cmd_t cmd) {
    auto& sink = *static_cast<ArchiveSink*>(user);
    switch (cmd) {
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(
            ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR,
            ZIP_SOURCE_FREE, ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL, ZIP_SOURCE_SUPPORTS, ZIP_SOURCE_BEGIN_WRITE,
            ZIP_SOURCE_COMMIT_WRITE, ZIP_SOURCE_ROLLBACK_WRITE, ZIP_SOURCE_WRITE, ZIP_SOURCE_SEEK_WRITE,
            ZIP_SOURCE_TELL_WRITE, ZIP_SOURCE_REMOVE, -1);
    case ZIP_SOURCE_STAT: {
        auto* st = static_cast<zip_stat_t*>(data);
        zip_stat_init(st);
        st->size = 0;
        st->valid = ZIP_STAT_SIZE;
        return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_OPEN:
    case ZIP_SOURCE_CLOSE:
    case ZIP_SOURCE_FREE:
    case ZIP_SOURCE_REMOVE:
    case ZIP_SOURCE_BEGIN_WRITE:
    case ZIP_SOURCE_ROLLBACK_WRITE:
        return 0;
    case ZIP_SOURCE_READ:
    case ZIP_SOURCE_TELL:
    case ZIP_SOURCE_SEEK:
        return 0;
    case ZIP_SOURCE_COMMIT_WRITE:
        if (!sink.flush()) {
            zip_error_set(&sink.error, ZIP_ER_WRITE, EIO);
            return -1;
        }
        sink.committed = true;
        return 0;
    case ZIP_SOURCE_WRITE:
        if (!sink.put(static_cast<const char*>(data), static_cast<qint64>(len))) {
            zip_error_set(&sink.error, ZIP_ER_WRITE, EIO);
            return -1;
        }
        return static_cast<zip_int64_t>(len);
    case ZIP_SOURCE_SEEK_WRITE: {
        const zip_int64_t target =
            zip_source_seek_compute_offset(static_cast<zip_uint64_t>(sink.position),
                                           static_cast<zip_uint64_t>(sink.end), data, len, &sink.error);
        if (target < 0)
            return -1;
        sink.position = target;
        return 0;
    }
    case ZIP_SOURCE_TELL_WRITE:
        return sink.position;
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&sink.error, data, len);
    default:
        zip_error_set(&sink.error, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
}

// What the members' callbacks share: the recording's blocks, the float volts of every code, the codes
// of the member being written and the progress.
struct MemberWork {
    InterchangeBlocks& blocks;
    std::vector<std::array<float, 256>> volts; // per channel written
    std::vector<std::uint8_t> codes;           // the current member's samples
    const WorkProgress& progress;
    InterchangeResult& result;
    std::int64_t total = 0; // samples of all channels
    std::int64_t done = 0;
    std::int64_t stretch = -1; // the first sample of the stretch in blocks, -1: none yet
};

struct Member {
    MemberWork* work;
    std::size_t channel; // index into blocks.channels()
    std::int64_t first;  // sample of the span
    std::int64_t count;
    std::int64_t offset = 0; // bytes delivered
    zip_error_t error{};
};

zip_int64_t memberCallback(void* user, void* data, zip_uint64_t len, zip_source_cmd_t cmd) {
    auto& m = *static_cast<Member*>(user);
    MemberWork& w = *m.work;
    switch (cmd) {
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                                              ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
    case ZIP_SOURCE_STAT: {
        auto* st = static_cast<zip_stat_t*>(data);
        zip_stat_init(st);
        st->size = static_cast<zip_uint64_t>(m.count) * 4;
        st->valid = ZIP_STAT_SIZE;
        return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_OPEN: {
        if (!reportProgress(w.progress, w.done, w.total, w.result)) {
            zip_error_set(&m.error, ZIP_ER_CANCELLED, 0);
            return -1;
        }
        // The one channel's codes of this member: the block reader reads every channel, so a member
        // takes its row of the block it lies in.
        if (w.stretch != m.first && !w.blocks.read(m.first, m.count, w.result.error)) {
            w.result.ok = false;
            zip_error_set(&m.error, ZIP_ER_READ, EIO);
            return -1;
        }
        w.stretch = m.first;
        std::memcpy(w.codes.data(), w.blocks.row(m.channel), static_cast<std::size_t>(m.count));
        m.offset = 0;
        return 0;
    }
    case ZIP_SOURCE_READ: {
        const std::int64_t left = m.count * 4 - m.offset;
        const auto n =
            static_cast<std::int64_t>(std::min<zip_uint64_t>(len, static_cast<zip_uint64_t>(left)));
        auto* out = static_cast<char*>(data);
        const auto& table = w.volts[m.channel];
        for (std::int64_t b = 0; b < n;) {
            const std::int64_t sample = (m.offset + b) / 4, within = (m.offset + b) % 4;
            const float v = table[w.codes[static_cast<std::size_t>(sample)]];
            char bytes[4];
            std::uint32_t bits;
            std::memcpy(&bits, &v, 4);
            for (int i = 0; i < 4; ++i)
                bytes[i] = static_cast<char>(bits >> (8 * i) & 0xFF);
            const std::int64_t take = std::min<std::int64_t>(4 - within, n - b);
            if (within == 0 && take == 4 && n - b >= 4) {
                // Whole samples: straight through the table.
                const std::int64_t whole = (n - b) / 4;
                for (std::int64_t i = 0; i < whole; ++i) {
                    const float x = table[w.codes[static_cast<std::size_t>(sample + i)]];
                    std::uint32_t x32;
                    std::memcpy(&x32, &x, 4);
                    if constexpr (std::endian::native != std::endian::little)
                        x32 = __builtin_bswap32(x32);
                    std::memcpy(out + b + 4 * i, &x32, 4);
                }
                b += whole * 4;
                continue;
            }
            std::memcpy(out + b, bytes + within, static_cast<std::size_t>(take));
            b += take;
        }
        m.offset += n;
        if (m.offset == m.count * 4)
            w.done += m.count;
        return n;
    }
    case ZIP_SOURCE_CLOSE:
    case ZIP_SOURCE_FREE:
        return 0;
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&m.error, data, len);
    default:
        zip_error_set(&m.error, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
}

QByteArray metadataText(const InterchangeRequest& request, const std::vector<int>& channels) {
    const auto& probes = request.logic.names;
    QByteArray text = "[global]\nsigrok version=0.5.2\n\n[device 1]\n";
    if (!probes.empty())
        text +=
            "capturefile=logic-1\ntotal probes=" + QByteArray::number(static_cast<int>(probes.size())) + '\n';
    text += "samplerate=" + sigrokRateText(sampleRateHz(request.source.samplingPeriodMs)) + '\n';
    text += "total analog=" + QByteArray::number(static_cast<int>(channels.size())) + '\n';
    for (std::size_t k = 0; k < probes.size(); ++k)
        text += "probe" + QByteArray::number(static_cast<int>(k) + 1) + '=' + probes[k] + '\n';
    // The analog channels are numbered after the logic ones, as sigrok numbers a device's channels.
    for (std::size_t k = 0; k < channels.size(); ++k)
        text += "analog" + QByteArray::number(static_cast<int>(probes.size() + k) + 1) + '=' +
                channelName[channels[k]] + '\n';
    if (!probes.empty())
        text += "unitsize=1\n";
    return text;
}

// A logic member: one byte per sample of the stretch, filled when libzip opens it.
struct LogicMember {
    const InterchangeLogic* logic;
    InterchangeResult* result;
    std::int64_t first; // sample of the recording
    std::int64_t count;
    std::vector<std::uint8_t>* bytes;
    std::int64_t offset = 0;
    zip_error_t error{};
};

zip_int64_t logicCallback(void* user, void* data, zip_uint64_t len, zip_source_cmd_t cmd) {
    auto& m = *static_cast<LogicMember*>(user);
    switch (cmd) {
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                                              ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
    case ZIP_SOURCE_STAT: {
        auto* st = static_cast<zip_stat_t*>(data);
        zip_stat_init(st);
        st->size = static_cast<zip_uint64_t>(m.count);
        st->valid = ZIP_STAT_SIZE;
        return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_OPEN:
        if (QString why; !m.logic->fill(m.first, m.count, m.bytes->data(), why)) {
            m.result->ok = false;
            m.result->error = CoreError::worded(why);
            zip_error_set(&m.error, ZIP_ER_READ, EIO);
            return -1;
        }
        m.offset = 0;
        return 0;
    case ZIP_SOURCE_READ: {
        const auto n = static_cast<std::int64_t>(
            std::min<zip_uint64_t>(len, static_cast<zip_uint64_t>(m.count - m.offset)));
        std::memcpy(data, m.bytes->data() + m.offset, static_cast<std::size_t>(n));
        m.offset += n;
        return n;
    }
    case ZIP_SOURCE_CLOSE:
    case ZIP_SOURCE_FREE:
        return 0;
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&m.error, data, len);
    default:
        zip_error_set(&m.error, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
}

bool addBuffer(zip_t* za, const char* name, const QByteArray& bytes) {
    zip_source_t* src = zip_source_buffer(za, bytes.constData(), static_cast<zip_uint64_t>(bytes.size()), 0);
    if (src == nullptr)
        return false;
    const zip_int64_t index = zip_file_add(za, name, src, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(src);
        return false;
    }
    return zip_set_file_compression(za, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0) == 0;
}

QString zipReason(zip_error_t* error) {
    return QString::fromUtf8(zip_error_strerror(error));
}

} // namespace

QByteArray sigrokRateText(std::int64_t hertz) {
    if (hertz >= 1000000 && hertz % 1000000 == 0)
        return QByteArray::number(hertz / 1000000) + " MHz";
    if (hertz >= 1000 && hertz % 1000 == 0)
        return QByteArray::number(hertz / 1000) + " kHz";
    return QByteArray::number(hertz) + " Hz";
}

InterchangeResult exportSigrok(const InterchangeRequest& request, QIODevice& out,
                               const WorkProgress& progress, std::int64_t chunkSamples) {
    InterchangeRequest chunked = request;
    chunked.blockSamples = std::max<std::int64_t>(chunkSamples, 1);
    InterchangeResult result;
    if (QString missing; !zipLibraryLoaded(missing)) {
        result.ok = false;
        result.error = CoreError::worded(missing);
        return result;
    }
    InterchangeBlocks blocks(chunked);
    const auto& channels = blocks.channels();
    result.channels = static_cast<int>(channels.size());
    if (channels.empty()) {
        result.ok = false;
        result.error = CoreError::of(CoreErrorKind::NoChannels);
        return result;
    }
    MemberWork work{
        blocks,   {},     std::vector<std::uint8_t>(static_cast<std::size_t>(chunked.blockSamples)),
        progress, result, blocks.count() * static_cast<std::int64_t>(channels.size())};
    for (int c : channels) {
        const auto volts = exportVoltsTable(request.source.channelSensitivity[c]);
        std::array<float, 256> table{};
        for (int s = 0; s < 256; ++s)
            table[s] = static_cast<float>(volts[s]);
        work.volts.push_back(table);
    }

    ArchiveSink sink{out, 0, 0, {}, false, {}, {}};
    sink.pending.reserve(ArchiveSink::kPendingBytes + (1 << 16));
    zip_error_init(&sink.error);
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* archive = zip_source_function_create(archiveCallback, &sink, &error);
    zip_t* za = archive ? zip_open_from_source(archive, ZIP_TRUNCATE, &error) : nullptr;
    const auto failWith = [&](const QString& why) {
        result.ok = false;
        if (!result.error.failed() && !result.cancelled)
            result.error = sink.reason.failed() ? sink.reason : CoreError::worded(why);
        return result;
    };
    if (za == nullptr) {
        if (archive != nullptr)
            zip_source_free(archive);
        const QString why = zipReason(&error);
        zip_error_fini(&error);
        return failWith(why);
    }
    zip_error_fini(&error);
    const QByteArray version = "2";
    const QByteArray metadata = metadataText(request, channels);
    std::deque<Member> members; // stable addresses for the callbacks
    std::deque<LogicMember> logicMembers;
    const std::size_t probes = request.logic.names.size();
    std::vector<std::uint8_t> logicBytes(probes > 0 ? static_cast<std::size_t>(chunked.blockSamples) : 0);
    bool added = addBuffer(za, "version", version) && addBuffer(za, "metadata", metadata);
    // Member by member along the recording, the channels of one stretch together, so each stretch of
    // the sample files is read once while it is in the page cache.
    for (std::int64_t first = 0, chunk = 1; added && first < blocks.count();
         first += chunked.blockSamples, ++chunk) {
        const std::int64_t count = std::min(chunked.blockSamples, blocks.count() - first);
        for (std::size_t k = 0; k < channels.size() && added; ++k) {
            Member& m = members.emplace_back(Member{&work, k, first, count});
            zip_error_init(&m.error);
            zip_source_t* src = zip_source_function(za, memberCallback, &m);
            const QByteArray name = "analog-1-" + QByteArray::number(static_cast<int>(k + probes) + 1) + '-' +
                                    QByteArray::number(chunk);
            const zip_int64_t index = src ? zip_file_add(za, name.constData(), src, ZIP_FL_ENC_UTF_8) : -1;
            if (index < 0 && src != nullptr)
                zip_source_free(src);
            added = index >= 0 &&
                    zip_set_file_compression(za, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0) == 0;
        }
        if (probes > 0 && added) {
            LogicMember& m = logicMembers.emplace_back(
                LogicMember{&request.logic, &result, blocks.from() + first, count, &logicBytes});
            zip_error_init(&m.error);
            zip_source_t* src = zip_source_function(za, logicCallback, &m);
            const QByteArray name = "logic-1-" + QByteArray::number(chunk);
            const zip_int64_t index = src ? zip_file_add(za, name.constData(), src, ZIP_FL_ENC_UTF_8) : -1;
            if (index < 0 && src != nullptr)
                zip_source_free(src);
            added = index >= 0 &&
                    zip_set_file_compression(za, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0) == 0;
        }
    }
    if (!added) {
        const QString why = zipReason(zip_get_error(za));
        zip_discard(za);
        return failWith(why);
    }
    if (zip_close(za) != 0) {
        const QString why = zipReason(zip_get_error(za));
        zip_discard(za);
        for (Member& m : members)
            zip_error_fini(&m.error);
        for (LogicMember& m : logicMembers)
            zip_error_fini(&m.error);
        return failWith(why);
    }
    for (Member& m : members)
        zip_error_fini(&m.error);
    for (LogicMember& m : logicMembers)
        zip_error_fini(&m.error);
    if (!sink.committed)
        return failWith(QStringLiteral("the archive was not finished"));
    result.samples = blocks.count();
    reportProgress(progress, work.total, work.total, result);
    result.ok = true;
    result.cancelled = false;
    return result;
}

} // namespace varnilog
