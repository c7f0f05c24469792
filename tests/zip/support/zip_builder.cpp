#include "zip_builder.h"

#include <zlib.h>

#include <stdexcept>

namespace ziptest {

namespace {

class Bytes {
public:
    void u16(std::uint64_t v) { put(v, 2); }
    void u32(std::uint64_t v) { put(v, 4); }
    void u64(std::uint64_t v) { put(v, 8); }
    void text(const std::string& s) { out.insert(out.end(), s.begin(), s.end()); }
    std::size_t size() const { return out.size(); }

    std::vector<unsigned char> out;

private:
    void put(std::uint64_t v, int n) {
        for (int i = 0; i < n; ++i) out.push_back(static_cast<unsigned char>(v >> (8 * i)));
    }
};

std::string deflateRaw(const std::string& data) {
    z_stream s{};
    if (deflateInit2(&s, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2");
    std::string out(deflateBound(&s, data.size()), '\0');
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    s.avail_in = static_cast<uInt>(data.size());
    s.next_out = reinterpret_cast<Bytef*>(out.data());
    s.avail_out = static_cast<uInt>(out.size());
    deflate(&s, Z_FINISH);
    out.resize(s.total_out);
    deflateEnd(&s);
    return out;
}

std::string extraFields(const Entry& e, std::uint64_t size, std::uint64_t packed, std::uint64_t offset, bool central) {
    Bytes x;
    if (e.zip64) {
        x.u16(0x0001);
        x.u16(central ? 24 : 16);
        x.u64(size);
        x.u64(packed);
        if (central) x.u64(offset);
    }
    if (e.unixMtime) {
        x.u16(0x5455);
        x.u16(5);
        x.out.push_back(1);
        x.u32(static_cast<std::uint32_t>(*e.unixMtime));
    }
    return std::string(x.out.begin(), x.out.end());
}

}  // namespace

std::vector<unsigned char> build(const Archive& archive) {
    Bytes zip;
    Bytes central;
    for (const Entry& e : archive.entries) {
        const std::string packed = e.method == 8 ? deflateRaw(e.data) : e.data;
        const std::uint32_t crc = e.crc.value_or(
            static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(e.data.data()), static_cast<uInt>(e.data.size()))));
        const std::uint64_t size = e.recordedSize.value_or(e.data.size());
        const std::uint64_t offset = zip.size();
        const std::uint16_t flags = static_cast<std::uint16_t>(e.extraFlags | (e.dataDescriptor ? 8 : 0) | 0x800);
        const auto small = [&](std::uint64_t v) { return e.zip64 ? 0xffffffffu : v; };

        const std::string localExtra = extraFields(e, size, packed.size(), offset, false);
        zip.u32(0x04034b50);
        zip.u16(e.zip64 ? 45 : 20);
        zip.u16(flags);
        zip.u16(e.method);
        zip.u16(e.dosTime);
        zip.u16(e.dosDate);
        zip.u32(e.dataDescriptor ? 0 : crc);
        zip.u32(e.dataDescriptor ? 0 : small(packed.size()));
        zip.u32(e.dataDescriptor ? 0 : small(size));
        zip.u16(e.name.size());
        zip.u16(localExtra.size());
        zip.text(e.name);
        zip.text(localExtra);
        zip.text(packed);
        if (e.dataDescriptor) {
            zip.u32(0x08074b50);
            zip.u32(crc);
            if (e.zip64) {
                zip.u64(packed.size());
                zip.u64(size);
            } else {
                zip.u32(packed.size());
                zip.u32(size);
            }
        }

        const std::string centralExtra = extraFields(e, size, packed.size(), offset, true);
        central.u32(0x02014b50);
        central.u16(e.versionMadeBy);
        central.u16(e.zip64 ? 45 : 20);
        central.u16(flags);
        central.u16(e.method);
        central.u16(e.dosTime);
        central.u16(e.dosDate);
        central.u32(crc);
        central.u32(small(packed.size()));
        central.u32(small(size));
        central.u16(e.name.size());
        central.u16(centralExtra.size());
        central.u16(0);
        central.u16(0);
        central.u16(0);
        central.u32(e.externalAttributes);
        central.u32(small(offset));
        central.text(e.name);
        central.text(centralExtra);
    }
    const std::uint64_t directoryOffset = zip.size();
    zip.out.insert(zip.out.end(), central.out.begin(), central.out.end());
    const std::uint64_t count = archive.entries.size();
    if (archive.zip64End) {
        const std::uint64_t at = zip.size();
        zip.u32(0x06064b50);
        zip.u64(44);
        zip.u16(45);
        zip.u16(45);
        zip.u32(0);
        zip.u32(0);
        zip.u64(count);
        zip.u64(count);
        zip.u64(central.size());
        zip.u64(directoryOffset);
        zip.u32(0x07064b50);
        zip.u32(0);
        zip.u64(at);
        zip.u32(1);
    }
    const auto saturated16 = [&](std::uint64_t v) { return archive.zip64End ? 0xffffu : v; };
    const auto saturated32 = [&](std::uint64_t v) { return archive.zip64End ? 0xffffffffu : v; };
    zip.u32(0x06054b50);
    zip.u16(0);
    zip.u16(0);
    zip.u16(saturated16(count));
    zip.u16(saturated16(count));
    zip.u32(saturated32(central.size()));
    zip.u32(saturated32(directoryOffset));
    zip.u16(archive.comment.size());
    zip.text(archive.comment);
    return zip.out;
}

Entry folder(std::string name) {
    Entry e;
    e.name = std::move(name);
    e.method = 0;
    e.externalAttributes = 0x10;
    return e;
}

Entry file(std::string name, std::string data, std::uint16_t method) {
    Entry e;
    e.name = std::move(name);
    e.data = std::move(data);
    e.method = method;
    return e;
}

Archive bundle() {
    return {{
        folder("Velliphon.vst3/"),
        folder("Velliphon.vst3/Contents/"),
        file("Velliphon.vst3/Contents/moduleinfo.json", "{\"Name\": \"Velliphon\"}\n"),
        folder("Velliphon.vst3/Contents/x86_64-win/"),
        file("Velliphon.vst3/Contents/x86_64-win/Velliphon.vst3", std::string(70000, 'M') + "module"),
        file("Velliphon.vst3/desktop.ini", "[.ShellClassInfo]\r\n", 0),
        file("Velliphon.vst3/PlugIn.ico", std::string(3000, '\x01')),
    }};
}

}  // namespace ziptest
