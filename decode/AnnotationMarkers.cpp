#include "decode/AnnotationMarkers.h"

#include <algorithm>
#include <string_view>

namespace varnilog {

namespace {

bool problemId(std::string_view id) {
    for (std::size_t begin = 0; begin <= id.size();) {
        std::size_t end = id.find('-', begin);
        if (end == std::string_view::npos)
            end = id.size();
        const std::string_view word = id.substr(begin, end - begin);
        for (const std::string_view stem : {"err", "warn", "fail"})
            if (word.starts_with(stem))
                return true;
        begin = end + 1;
    }
    return false;
}

} // namespace

bool isProblemClass(const DecoderInfo& decoder, int annotationClass) {
    if (annotationClass < 0 || static_cast<std::size_t>(annotationClass) >= decoder.annotationClasses.size())
        return false;
    return problemId(decoder.annotationClasses[static_cast<std::size_t>(annotationClass)].id) ||
           problemId(decoder.rowOf(annotationClass));
}

std::vector<Marker> problemMarkers(const DecodeResults& results) {
    std::vector<Marker> markers;
    for (const Annotation& a : results.annotations) {
        const DecoderInfo& d = *results.decoders[static_cast<std::size_t>(a.decoder)];
        if (!isProblemClass(d, a.annotationClass))
            continue;
        // A marker's range ends on its last sample; an annotation's end is one past it.
        const std::int64_t end = std::max(a.start, a.end - 1);
        markers.push_back({a.start, end, MarkerKind::Dekoder,
                           QString::fromStdString(d.id) + QStringLiteral(": ") +
                               (a.texts.empty() ? QString() : QString::fromStdString(a.texts.front()))});
    }
    return markers;
}

bool markDecodeProblems(const QString& rosPath, const DecodeResults& results, int& added, CoreError& error) {
    added = 0;
    std::vector<Marker> found = problemMarkers(results);
    return changeMarkers(
        rosPath,
        [&](std::vector<Marker>& list, QString&) {
            std::vector<Marker> sorted = list;
            sortMarkers(sorted);
            for (Marker& m : found) {
                const auto at =
                    std::lower_bound(sorted.begin(), sorted.end(), m,
                                     [](const Marker& a, const Marker& b) { return a.start < b.start; });
                bool known = false;
                for (auto it = at; it != sorted.end() && it->start == m.start && !known; ++it)
                    known = *it == m;
                if (known)
                    continue;
                list.push_back(std::move(m));
                ++added;
            }
            return true;
        },
        error);
}

} // namespace varnilog
