#include "tests/support/xmp_builder.h"

#include <cstdio>

namespace testsupport {
namespace {

std::string number(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string area(const MwgArea& a) {
    const int decimals = a.normalized ? 6 : 0;
    const std::pair<const char*, double> values[] = {{"x", a.x}, {"y", a.y}, {"w", a.w}, {"h", a.h}};
    std::string text;
    for (const auto& [name, value] : values)
        text += a.asElements ? "<stArea:" + std::string(name) + ">" + number(value, decimals) + "</stArea:" + name + ">"
                             : " stArea:" + std::string(name) + "=\"" + number(value, decimals) + "\"";
    const std::string unit = a.normalized ? "normalized" : "pixel";
    if (a.asElements)
        return "<mwg-rs:Area rdf:parseType=\"Resource\">" + text + "<stArea:unit>" + unit + "</stArea:unit></mwg-rs:Area>";
    return "<mwg-rs:Area" + text + " stArea:unit=\"" + unit + "\"/>";
}

}  // namespace

std::string xmpPacket(const std::string& attributes, const std::string& elements) {
    return "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
           "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
           "<rdf:Description rdf:about=\"\" xmlns:tiff=\"http://ns.adobe.com/tiff/1.0/\"\n"
           " xmlns:exif=\"http://ns.adobe.com/exif/1.0/\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\"\n"
           " xmlns:xmpMM=\"http://ns.adobe.com/xap/1.0/mm/\"\n"
           " xmlns:mwg-rs=\"http://www.metadataworkinggroup.com/schemas/regions/\"\n"
           " xmlns:stArea=\"http://ns.adobe.com/xmp/sType/Area#\" xmlns:stDim=\"http://ns.adobe.com/xap/1.0/sType/Dimensions#\"\n"
           " xmlns:MP=\"http://ns.microsoft.com/photo/1.2/\" xmlns:MPRI=\"http://ns.microsoft.com/photo/1.2/t/RegionInfo#\"\n"
           " xmlns:MPReg=\"http://ns.microsoft.com/photo/1.2/t/Region#\"" +
           attributes + ">\n" + elements + "\n</rdf:Description>\n</rdf:RDF></x:xmpmeta>\n<?xpacket end=\"w\"?>";
}

Bytes xmpPayload(const std::string& packet) {
    const std::string whole = std::string("http://ns.adobe.com/xap/1.0/", 29) + packet;
    return Bytes(whole.begin(), whole.end());
}

std::string mwgRegions(int width, int height, const std::vector<MwgArea>& areas) {
    std::string list;
    for (const MwgArea& a : areas)
        list += "<rdf:li><rdf:Description mwg-rs:Type=\"Face\" mwg-rs:Name=\"Anna\">" + area(a) + "</rdf:Description></rdf:li>";
    return "<mwg-rs:Regions rdf:parseType=\"Resource\"><mwg-rs:AppliedToDimensions stDim:w=\"" + std::to_string(width) +
           "\" stDim:h=\"" + std::to_string(height) + "\" stDim:unit=\"pixel\"/><mwg-rs:RegionList><rdf:Bag>" + list +
           "</rdf:Bag></mwg-rs:RegionList></mwg-rs:Regions>";
}

std::string microsoftRegion(double x, double y, double w, double h) {
    return "<MP:RegionInfo rdf:parseType=\"Resource\"><MPRI:Regions><rdf:Bag><rdf:li MPReg:PersonDisplayName=\"Anna\" "
           "MPReg:Rectangle=\"" + number(x, 6) + ", " + number(y, 6) + ", " + number(w, 6) + ", " + number(h, 6) +
           "\"/></rdf:Bag></MPRI:Regions></MP:RegionInfo>";
}

}  // namespace testsupport
