#pragma once
// An XMP packet read as RDF/XML, with the byte positions of what an edit may replace: properties
// are found by the namespace their prefix is bound to and by name, whether they stand as
// attributes or as elements, inside structures and arrays; their values are then replaced in
// place, and every other byte of the packet stays as it was.
//
// The XML is read by expat (Debian's libexpat1): a small, long-kept parser that resolves
// namespaces and tells where each start tag and end tag lies in the input, which is all an edit
// in place needs. A packet with a document type declaration is refused (XMP has none, and entities
// declared there could make the text differ from its bytes); bytes after the root element (the
// padding some writers leave, zeros included) are not read.

#include <cstddef>
#include <string>
#include <vector>

struct XmlSpan {
    std::size_t at = 0;
    std::size_t size = 0;
};

struct XmlAttribute {
    std::string uri;    // the namespace its prefix is bound to ("" for none)
    std::string local;  // its name without the prefix
    std::string value;  // as the parser gives it, references resolved
    XmlSpan raw;        // its text between the quotes, as it stands in the packet
};

struct XmlElement {
    std::string uri, local;
    std::vector<XmlAttribute> attributes;  // namespace declarations left out
    std::vector<std::size_t> children;     // indices into XmpTree::elements, in order
    XmlSpan content;                       // between its start and end tags (empty for <a/>)
    std::string text;                      // its character data, when it has no child element
};

// One named value of a resource: an attribute, or a child element (a simple value, a structure
// or an array).
struct XmpField {
    const std::string* uri = nullptr;
    const std::string* local = nullptr;
    const XmlAttribute* attribute = nullptr;  // set for the attribute form
    std::size_t element = 0;                  // else the property element

    bool is(const char* uriName, const char* localName) const { return *uri == uriName && *local == localName; }
};

class XmpTree {
public:
    // Reads `packet`. false with a reason when it is no well-formed XML (with namespaces), has a
    // document type declaration, or nests deeper than any XMP does.
    bool read(const std::string& packet, std::string* reason);

    const XmlElement& element(std::size_t at) const { return elements_[at]; }

    // The fields of the top-level resources: every rdf:Description directly inside an rdf:RDF.
    std::vector<XmpField> topLevelFields() const;
    // The fields of the resource that `field` holds: the property element's own attributes and
    // child elements, and those of an rdf:Description inside it. None for an attribute.
    std::vector<XmpField> fieldsOf(const XmpField& field) const;
    // The items (rdf:li) of the array that `field` holds (an rdf:Bag, rdf:Seq or rdf:Alt inside
    // it), each as a field whose fields are the item's.
    std::vector<XmpField> itemsOf(const XmpField& field) const;

    // A simple value: its text as it stands in the packet (for an element, its content between
    // the tags), and where that lies. false for a structure or an array.
    bool rawValue(const XmpField& field, XmlSpan* span) const;
    // The value as the parser gives it (references resolved); "" for a structure or an array.
    std::string value(const XmpField& field) const;

private:
    void addFields(std::size_t at, std::vector<XmpField>* fields) const;

    std::vector<XmlElement> elements_;  // in document order; [0] is the root
};

// The RDF namespace.
inline constexpr char kRdfNamespace[] = "http://www.w3.org/1999/02/22-rdf-syntax-ns#";
