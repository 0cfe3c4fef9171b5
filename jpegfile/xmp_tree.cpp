#include "jpegfile/xmp_tree.h"

#include <expat.h>

#include <climits>
#include <cstring>
#include <unordered_map>

namespace {

constexpr char kSeparator = '\x01';  // between namespace, name and prefix in expat's names
constexpr std::size_t kMaxDepth = 256;
constexpr char kXmlNamespace[] = "http://www.w3.org/XML/1998/namespace";

struct Name {
    std::string uri, local, prefix;
};

// expat's "uri\1local\1prefix" (each part but the name may be missing).
Name splitName(const char* name) {
    Name parts;
    const char* first = std::strchr(name, kSeparator);
    if (!first) {
        parts.local = name;
        return parts;
    }
    parts.uri.assign(name, first);
    const char* second = std::strchr(first + 1, kSeparator);
    parts.local = second ? std::string(first + 1, second) : std::string(first + 1);
    if (second) parts.prefix = second + 1;
    return parts;
}

bool isXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The attributes of the start tag at `at` (`size` bytes, well-formed as the parser found it) as
// they stand: each qualified name and where its value lies between the quotes.
std::unordered_map<std::string, XmlSpan> rawAttributes(const std::string& packet, std::size_t at, std::size_t size) {
    std::unordered_map<std::string, XmlSpan> attributes;
    const std::size_t end = at + size;
    std::size_t i = at + 1;
    while (i < end && !isXmlSpace(packet[i]) && packet[i] != '/' && packet[i] != '>') ++i;
    for (;;) {
        while (i < end && isXmlSpace(packet[i])) ++i;
        if (i >= end || packet[i] == '/' || packet[i] == '>') return attributes;
        const std::size_t nameAt = i;
        while (i < end && !isXmlSpace(packet[i]) && packet[i] != '=') ++i;
        const std::string name = packet.substr(nameAt, i - nameAt);
        while (i < end && packet[i] != '"' && packet[i] != '\'') ++i;
        if (i >= end) return attributes;
        const std::size_t close = packet.find(packet[i], i + 1);
        if (close == std::string::npos || close >= end) return attributes;
        attributes[name] = XmlSpan{i + 1, close - i - 1};
        i = close + 1;
    }
}

struct Reading {
    XML_Parser parser;
    const std::string& packet;
    std::vector<XmlElement>& elements;
    std::vector<std::size_t> open;  // the elements whose end tag is still to come
    bool rootClosed = false;
    std::string problem;

    void stop(const std::string& why) {
        problem = why;
        XML_StopParser(parser, XML_FALSE);
    }
};

std::size_t currentIndex(const Reading& reading) {
    const XML_Index index = XML_GetCurrentByteIndex(reading.parser);
    return index < 0 ? 0 : static_cast<std::size_t>(index);
}

void XMLCALL onStart(void* data, const char* name, const char** attributes) {
    Reading& reading = *static_cast<Reading*>(data);
    if (reading.open.size() >= kMaxDepth) return reading.stop("its elements nest too deep");
    const std::size_t at = currentIndex(reading);
    const std::size_t size = static_cast<std::size_t>(XML_GetCurrentByteCount(reading.parser));
    XmlElement element;
    Name parts = splitName(name);
    element.uri = std::move(parts.uri);
    element.local = std::move(parts.local);
    element.content = {at + size, 0};
    const std::unordered_map<std::string, XmlSpan> raw = rawAttributes(reading.packet, at, size);
    for (const char** attribute = attributes; *attribute; attribute += 2) {
        Name attributeName = splitName(attribute[0]);
        const std::string qualified =
            attributeName.prefix.empty() ? attributeName.local : attributeName.prefix + ":" + attributeName.local;
        const auto found = raw.find(qualified);
        if (found == raw.end()) return reading.stop("an attribute cannot be placed in its tag");
        element.attributes.push_back(
            {std::move(attributeName.uri), std::move(attributeName.local), attribute[1], found->second});
    }
    const std::size_t index = reading.elements.size();
    if (!reading.open.empty()) {
        XmlElement& parent = reading.elements[reading.open.back()];
        parent.children.push_back(index);
        parent.text.clear();
    }
    reading.elements.push_back(std::move(element));
    reading.open.push_back(index);
}

void XMLCALL onEnd(void* data, const char*) {
    Reading& reading = *static_cast<Reading*>(data);
    XmlElement& element = reading.elements[reading.open.back()];
    element.content.size = currentIndex(reading) - element.content.at;
    reading.open.pop_back();
    if (reading.open.empty()) {
        reading.rootClosed = true;
        XML_StopParser(reading.parser, XML_FALSE);  // what follows the root is padding at most
    }
}

void XMLCALL onText(void* data, const char* text, int length) {
    Reading& reading = *static_cast<Reading*>(data);
    if (reading.open.empty()) return;
    XmlElement& element = reading.elements[reading.open.back()];
    if (element.children.empty()) element.text.append(text, static_cast<std::size_t>(length));
}

void XMLCALL onDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
    static_cast<Reading*>(data)->stop("it has a document type declaration");
}

bool isRdf(const XmlElement& element, const char* local) { return element.uri == kRdfNamespace && element.local == local; }

}  // namespace

bool XmpTree::read(const std::string& packet, std::string* reason) {
    elements_.clear();
    if (packet.size() > INT_MAX) {
        *reason = "the XMP packet is too large";
        return false;
    }
    XML_Parser parser = XML_ParserCreateNS("UTF-8", kSeparator);
    if (!parser) {
        *reason = "no memory to read the XMP packet";
        return false;
    }
    Reading reading{parser, packet, elements_, {}, false, {}};
    XML_SetUserData(parser, &reading);
    XML_SetReturnNSTriplet(parser, 1);
    XML_SetElementHandler(parser, onStart, onEnd);
    XML_SetCharacterDataHandler(parser, onText);
    XML_SetStartDoctypeDeclHandler(parser, onDoctype);
    const XML_Status status = XML_Parse(parser, packet.data(), static_cast<int>(packet.size()), XML_TRUE);
    const bool whole = reading.rootClosed && reading.problem.empty();
    if (!whole) {
        const std::string why = !reading.problem.empty() ? reading.problem
                                : status == XML_STATUS_OK ? "it ends inside an element"
                                                           : XML_ErrorString(XML_GetErrorCode(parser));
        *reason = "the XMP packet cannot be read (" + why + " at line " +
                  std::to_string(XML_GetCurrentLineNumber(parser)) + ")";
        elements_.clear();
    }
    XML_ParserFree(parser);
    return whole;
}

std::vector<XmpField> XmpTree::topLevelFields() const {
    std::vector<XmpField> fields;
    for (const XmlElement& element : elements_) {
        if (!isRdf(element, "RDF")) continue;
        for (std::size_t child : element.children)
            if (isRdf(elements_[child], "Description")) addFields(child, &fields);
    }
    return fields;
}

std::vector<XmpField> XmpTree::fieldsOf(const XmpField& field) const {
    std::vector<XmpField> fields;
    if (!field.attribute) addFields(field.element, &fields);
    return fields;
}

std::vector<XmpField> XmpTree::itemsOf(const XmpField& field) const {
    std::vector<XmpField> items;
    if (field.attribute) return items;
    for (std::size_t array : elements_[field.element].children) {
        const XmlElement& container = elements_[array];
        if (!isRdf(container, "Bag") && !isRdf(container, "Seq") && !isRdf(container, "Alt")) continue;
        for (std::size_t item : container.children)
            if (isRdf(elements_[item], "li")) items.push_back({&elements_[item].uri, &elements_[item].local, nullptr, item});
    }
    return items;
}

bool XmpTree::rawValue(const XmpField& field, XmlSpan* span) const {
    if (field.attribute) {
        *span = field.attribute->raw;
        return true;
    }
    const XmlElement& element = elements_[field.element];
    if (!element.children.empty()) return false;
    *span = element.content;
    return true;
}

std::string XmpTree::value(const XmpField& field) const {
    if (field.attribute) return field.attribute->value;
    const XmlElement& element = elements_[field.element];
    return element.children.empty() ? element.text : std::string();
}

// The element's own attributes (rdf's and xml's are syntax, not fields), its child property
// elements, and the fields of an rdf:Description child, which describes the same resource.
void XmpTree::addFields(std::size_t at, std::vector<XmpField>* fields) const {
    const XmlElement& element = elements_[at];
    for (const XmlAttribute& attribute : element.attributes)
        if (attribute.uri != kRdfNamespace && attribute.uri != kXmlNamespace)
            fields->push_back({&attribute.uri, &attribute.local, &attribute, 0});
    for (std::size_t child : element.children) {
        if (isRdf(elements_[child], "Description")) addFields(child, fields);
        else fields->push_back({&elements_[child].uri, &elements_[child].local, nullptr, child});
    }
}
