// The protocol decoders the installed libsigrokdecode offers, as plain values: what each one is,
// which channels it needs and may take, its options with their defaults and allowed values, its
// annotation classes and rows and what it stacks on. The library (with its embedded Python) starts
// once per process, on first use, and stays until the process ends. Depends on libsigrokdecode only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace varnilog {

// An option's value: the library's three types (text, whole number, number).
using DecoderOptionValue = std::variant<std::string, std::int64_t, double>;

struct DecoderChannelInfo {
    std::string id, name, description;
};

struct DecoderOptionInfo {
    std::string id, description;
    DecoderOptionValue defaultValue;
    std::vector<DecoderOptionValue> values; // allowed values; empty: any of the default's type
};

struct AnnotationClassInfo {
    std::string id, description;
};

struct AnnotationRowInfo {
    std::string id, description;
    std::vector<int> classes;
};

struct DecoderInfo {
    std::string id, name, longName, description;
    std::vector<DecoderChannelInfo> channels, optionalChannels;
    std::vector<DecoderOptionInfo> options;
    std::vector<AnnotationClassInfo> annotationClasses;
    std::vector<AnnotationRowInfo> rows;
    std::vector<std::string> inputs, outputs; // "logic" in: takes samples; else another's output

    // The row a class is drawn in: the first row that lists it, else the class's own id.
    const std::string& rowOf(int annotationClass) const;
    const DecoderOptionInfo* option(std::string_view optionId) const;
    // Index of a channel among channels then optionalChannels (the library's order), or -1.
    int channelIndex(std::string_view channelId) const;
};

// Starts the library once; later calls return the first outcome. False with the library's reason.
bool startDecoderLibrary(std::string& error);

// One decoder, loaded on first use; null when none of that id is installed (or the library failed).
const DecoderInfo* findDecoder(std::string_view id);
// Every installed decoder, sorted by id (loads them all: takes a moment).
std::vector<const DecoderInfo*> allDecoders();

// A value as text: text as it is, numbers as the shortest text that reads back.
std::string optionValueText(const DecoderOptionValue& value);
// The ids joined with ", " (for the reasons that name what is allowed).
std::string joinedIds(const std::vector<std::string>& ids);

} // namespace varnilog
