#pragma once
// Internal to the XMP edits: values of a read packet as numbers in the form they were written
// in, and replacements of their text applied in place.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "jpegfile/xmp_tree.h"

// A number as it stands in the packet: its value, its decimal places and where its text lies
// (without the blanks around it).
struct WrittenNumber {
    double value = 0;
    int decimals = 0;
    XmlSpan span;
};

// `text` (no blanks) as a plain decimal: a sign, digits, a point and digits, an exponent.
bool parseWrittenNumber(const std::string& text, double* value, int* decimals);

// The blanks at either end of the span left out.
XmlSpan withoutBlanks(const std::string& packet, XmlSpan span);

// The field's simple value as a number: a plain decimal (a sign, digits, a point and digits, an
// exponent), nothing else but blanks around it. false for anything else.
bool readWrittenNumber(const XmpTree& tree, const std::string& packet, const XmpField& field, WrittenNumber* number);

// The field's simple value as a whole number of at most 15 digits and nothing else but blanks.
bool readWholeNumber(const XmpTree& tree, const std::string& packet, const XmpField& field, std::uint64_t* number,
                     XmlSpan* span = nullptr);

// `value` with `decimals` places, a point as the separator whatever the locale; no "-0".
std::string writtenNumber(double value, int decimals);

// The first field of `fields` with that namespace and name (a copy: it stays valid with the tree,
// not with `fields`), or nothing.
std::optional<XmpField> findField(const std::vector<XmpField>& fields, const char* uri, const char* local);

struct XmpReplacement {
    XmlSpan span;
    std::string text;
};

// The replacements applied to `packet`, back to front so that earlier spans stay where they are.
void applyReplacements(std::string* packet, std::vector<XmpReplacement> replacements);
