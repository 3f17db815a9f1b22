// Point and icon layers in the map document: their records written and read back, the
// attribute block and its version rules, and documents that end too soon.

#include <gtest/gtest.h>

#include "platform/endian.h"
#include "platform/mem_file.h"
#include "tests/vector/points/points_support.h"
#include "vector/layer_icons.h"

using namespace model;

namespace {

using bytes = std::vector<std::uint8_t>;
namespace endian = platform::endian;

// Five fields: a text not shown, a real, a logical that is drawn as the label, a field of no
// kind, and a text.
void give_fields(CSFLayerPoint& layer) {
    layer.m_bAttributes = 1;
    layer.m_aFieldNames = {"SKIPPED", "AREA", "ALIVE", "BORN", "NAME"};
    layer.m_aFieldKinds = {3, 2, 1, 0, 3};
    layer.m_aFieldShown = {0, 1, 1, 0, 1};
    layer.m_aFieldLabel = {0, 0, 1, 0, 0};
}

void give_values(CSFPoint& p, int i) {
    p.SetAttributeCount(5);
    p.SetAttribute(0, _attrValue::from_text(u"hidden"));
    p.SetAttribute(1, _attrValue::from_double(1.5 * i));
    p.SetAttribute(2, _attrValue::from_int(-i));
    p.SetAttribute(4, _attrValue::from_text(u"Точка " + std::u16string(1, char16_t(u'0' + i))));
}

class PointDocument : public ::testing::Test {
protected:
    CSFMap map;
    CSFLayerPoint* layer = nullptr;

    void SetUp() override {
        auto owned = std::make_unique<CSFLayerPoint>();
        layer = owned.get();
        map.AddLayer(std::move(owned));
        layer->m_strName = "towns";
        layer->m_nIcon = 2;
        layer->m_rcBounds = {10, 20, 11, 21};
        layer->m_pShapes.resize(4);
        layer->m_nShapes = 4;
        const CSFPt where[] = {{10, 20}, {11, 21}, {10.5, 20.5}, {10.05, 20.95}};
        for (int i = 0; i < 4; ++i) {
            layer->m_pShapes[static_cast<std::size_t>(i)].m_pt = where[i];
            layer->m_pShapes[static_cast<std::size_t>(i)].m_nRecord = i + 1;
            give_values(layer->m_pShapes[static_cast<std::size_t>(i)], i);
        }
        give_fields(*layer);
        ASSERT_EQ(layer->Regrid(10, 10), 0);
    }

    bytes written() {
        platform::CMemFile file;
        layer->WriteDocument(file);
        return file.Detach();
    }

    // Reads a point record after its tag into a fresh layer of a map of that version.
    int read_back(const bytes& record, CSFMap& into, std::uint32_t version, CSFLayerPoint*& read) {
        into.m_nVersion = version;
        auto owned = std::make_unique<CSFLayerPoint>(&into);
        read = owned.get();
        into.AddLayer(std::move(owned));
        platform::CMemFile file(record.data(), record.size());
        file.Seek(4, platform::CFile::begin);
        return read->ReadDocument(file);
    }
};

std::vector<const CSFPoint*> points_of(const CSFLayer& layer) {
    std::vector<const CSFPoint*> out;
    for (const CSFFragment& cell : layer.m_pCells)
        for (const auto& shape : cell.m_aShapes) out.push_back(dynamic_cast<const CSFPoint*>(shape.get()));
    return out;
}

}  // namespace

TEST_F(PointDocument, RecordReadsBackWithItsCellsIconAndStoredAttributes) {
    const bytes record = written();
    ASSERT_GE(record.size(), 4u);
    EXPECT_EQ(endian::get_le32(record.data()), 1u);

    CSFMap other;
    CSFLayerPoint* read = nullptr;
    ASSERT_EQ(read_back(record, other, 5, read), 0);
    EXPECT_EQ(read->m_strName, "towns");
    EXPECT_EQ(read->m_nIcon, 2);
    EXPECT_EQ(read->m_nShapes, 4u);
    EXPECT_EQ(read->m_pCells.size(), 100u);

    // Only stored fields come back, all shown; the label stays on the logical field.
    EXPECT_EQ(read->m_bAttributes, 1);
    EXPECT_EQ(read->m_aFieldNames, (std::vector<std::string>{"AREA", "ALIVE", "NAME"}));
    EXPECT_EQ(read->m_aFieldKinds, (std::vector<std::uint32_t>{2, 1, 3}));
    EXPECT_EQ(read->m_aFieldShown, (std::vector<std::uint8_t>{1, 1, 1}));
    EXPECT_EQ(read->m_aFieldLabel, (std::vector<std::uint8_t>{0, 1, 0}));

    const auto before = points_of(*layer);
    const auto after = points_of(*read);
    ASSERT_EQ(after.size(), 4u);
    for (std::size_t i = 0; i < after.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(after[i]->m_pt, before[i]->m_pt);
        EXPECT_EQ(after[i]->m_nRecord, 0);
        ASSERT_EQ(after[i]->get_attribute_count(), 3);
        EXPECT_EQ(after[i]->GetAttribute(0).get_double(), before[i]->GetAttribute(1).get_double());
        EXPECT_EQ(after[i]->GetAttribute(1).get_int(), before[i]->GetAttribute(2).get_int());
        EXPECT_EQ(after[i]->GetAttribute(2).get_text(), before[i]->GetAttribute(4).get_text());
        EXPECT_EQ(after[i]->GetAttribute(2).kind, _attrValue::text);
    }
    // Written again, the record is the same byte for byte but for the grid's shape count,
    // which only a regrid records.
    read->m_nGridShapes = read->m_nShapes;
    platform::CMemFile again;
    read->WriteDocument(again);
    EXPECT_EQ(again.Detach(), record);
}

TEST_F(PointDocument, AttributeBlockNamesTheLabelAmongStoredFieldsOnly) {
    platform::CMemFile file;
    layer->WriteAttributes(file);
    const bytes block = file.Detach();
    std::size_t values = 0;
    for (const CSFFragment& cell : layer->m_pCells) values += cell.m_aShapes.size() * (8 + 4 + 100);
    ASSERT_EQ(block.size(), 12 + 3 * 4 + 3 * 20 + values);
    EXPECT_EQ(endian::get_le_i32(&block[0]), 1);
    EXPECT_EQ(endian::get_le_i32(&block[4]), 3);
    // The third of five fields, the first of them not stored: position 1.
    EXPECT_EQ(endian::get_le_i32(&block[8]), 1);
    EXPECT_EQ(endian::get_le32(&block[12]), 2u);
    EXPECT_EQ(endian::get_le32(&block[16]), 1u);
    EXPECT_EQ(endian::get_le32(&block[20]), 3u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&block[24]), 20), std::string("AREA") + std::string(16, '\0'));

    // A label on a field that is not stored names none.
    layer->m_aFieldLabel = {1, 0, 0, 0, 0};
    platform::CMemFile unlabelled;
    layer->WriteAttributes(unlabelled);
    EXPECT_EQ(endian::get_le_i32(unlabelled.GetBuffer() + 8), -1);

    // A layer without attributes writes only the flag.
    layer->m_bAttributes = 0;
    platform::CMemFile none;
    layer->WriteAttributes(none);
    EXPECT_EQ(none.Detach(), (bytes{0, 0, 0, 0}));
}

TEST_F(PointDocument, Version4DocumentsCarryNoLabelField) {
    bytes record = written();
    // Where the attribute block starts: the record of the same layer without attributes,
    // less its one flag.
    layer->m_bAttributes = 0;
    const std::size_t block = written().size() - 4;
    layer->m_bAttributes = 1;
    record.erase(record.begin() + static_cast<std::ptrdiff_t>(block + 8),
                 record.begin() + static_cast<std::ptrdiff_t>(block + 12));

    CSFMap old;
    CSFLayerPoint* read = nullptr;
    ASSERT_EQ(read_back(record, old, 4, read), 0);
    EXPECT_EQ(read->m_aFieldKinds, (std::vector<std::uint32_t>{2, 1, 3}));
    EXPECT_EQ(read->m_aFieldLabel, (std::vector<std::uint8_t>{0, 0, 0}));
    const auto before = points_of(*layer);
    const auto after = points_of(*read);
    ASSERT_EQ(after.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(after[i]->GetAttribute(2).get_text(), before[i]->GetAttribute(4).get_text());
}

TEST_F(PointDocument, DocumentsThatEndTooSoonOrClaimTooMuchAreRefused) {
    const bytes record = written();
    for (std::size_t cut = 4; cut < record.size(); ++cut) {
        CSFMap other;
        CSFLayerPoint* read = nullptr;
        const bytes part(record.begin(), record.begin() + static_cast<std::ptrdiff_t>(cut));
        ASSERT_EQ(read_back(part, other, 5, read), 1) << "cut at " << cut;
    }
    layer->m_bAttributes = 0;
    const std::size_t block = written().size() - 4;
    layer->m_bAttributes = 1;
    auto patched = [&](std::size_t at, std::int32_t v) {
        bytes copy = record;
        endian::put_le32(&copy[at], static_cast<std::uint32_t>(v));
        CSFMap other;
        CSFLayerPoint* read = nullptr;
        return read_back(copy, other, 5, read);
    };
    EXPECT_EQ(patched(block, 2), 1);              // neither "no attributes" nor "attributes"
    EXPECT_EQ(patched(block + 4, -1), 1);         // a negative field count
    EXPECT_EQ(patched(block + 4, 0x7FFFFFFF), 1);  // more fields than the file holds
    EXPECT_EQ(patched(block + 12, 3), 1);          // a real becomes text: the values run out
    // A cell that says it holds more points than the document has room for.
    const std::size_t first_cell = 4 + 20 + 32 + 4 * 5 + 4;
    EXPECT_EQ(patched(first_cell + 36, 0x40000000), 1);
}

TEST_F(PointDocument, FieldsOfNoKindTakeNoBytesOfTheValues) {
    // The three stored fields turned into fields of no kind: each point's values take no
    // bytes (those written stay behind the record), and every value is of no kind.
    bytes record = written();
    layer->m_bAttributes = 0;
    const std::size_t block = written().size() - 4;
    for (std::size_t k = 0; k < 3; ++k) endian::put_le32(&record[block + 12 + 4 * k], 0);
    CSFMap other;
    CSFLayerPoint* read = nullptr;
    ASSERT_EQ(read_back(record, other, 5, read), 0);
    EXPECT_EQ(read->m_aFieldKinds, (std::vector<std::uint32_t>{0, 0, 0}));
    const auto points = points_of(*read);
    ASSERT_EQ(points.size(), 4u);
    for (const CSFPoint* p : points) {
        ASSERT_EQ(p->get_attribute_count(), 3);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(p->GetAttribute(i).kind, 0);
    }
}

TEST(IconDocument, IconsOf16And32PixelsReadBackWith512And2048BytesOfPixels) {
    CSFLayerIcons icons;
    std::vector<std::uint16_t> small(16 * 16), large(32 * 32);
    for (std::size_t i = 0; i < small.size(); ++i) small[i] = static_cast<std::uint16_t>(i * 7 + 1);
    for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<std::uint16_t>(0xF800 ^ i);
    icons.AddIcon(std::make_unique<CPicture>(nullptr, small, 16, 16));
    icons.AddIcon(std::make_unique<CPicture>(nullptr, large, 32, 32));

    platform::CMemFile file;
    icons.WriteDocument(file);
    const bytes record = file.Detach();
    ASSERT_EQ(record.size(), 8 + 2 * 12 + 512 + 2048u);
    EXPECT_EQ(endian::get_le32(&record[0]), 1000u);
    EXPECT_EQ(endian::get_le32(&record[4]), 2u);
    const std::uint32_t triples[] = {0, 16, 16, 1, 32, 32};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(endian::get_le32(&record[8 + 4 * std::size_t(i)]), triples[i]);
    // The pixel blocks follow the sizes, each picture's last pixel first.
    EXPECT_EQ(endian::get_le16(&record[32]), small.back());
    EXPECT_EQ(endian::get_le16(&record[32 + 510]), small.front());
    EXPECT_EQ(endian::get_le16(&record[32 + 512]), large.back());

    CSFLayerIcons read;
    platform::CMemFile in(record.data(), record.size());
    in.Seek(4, platform::CFile::begin);
    ASSERT_EQ(read.ReadIcons(in, nullptr), 0);
    ASSERT_EQ(read.m_nIcons, 2u);
    ASSERT_NE(read.GetIcon(1), nullptr);
    EXPECT_EQ(read.GetIcon(2), nullptr);
    EXPECT_EQ(read.GetIcon(0)->get_width(), 16u);
    EXPECT_EQ(read.GetIcon(1)->m_nNumber, 1u);
    EXPECT_EQ(2 * read.GetIcon(0)->get_width() * read.GetIcon(0)->get_height(), 512u);
    EXPECT_EQ(2 * read.GetIcon(1)->get_width() * read.GetIcon(1)->get_height(), 2048u);
    EXPECT_TRUE(std::equal(small.begin(), small.end(), read.GetIcon(0)->get_pixels()));
    EXPECT_TRUE(std::equal(large.begin(), large.end(), read.GetIcon(1)->get_pixels()));

    // Written again from the pixels read, the record is the same.
    platform::CMemFile again;
    read.WriteDocument(again);
    EXPECT_EQ(again.Detach(), record);
}

TEST(IconDocument, RecordsThatEndTooSoonOrClaimTooMuchAreRefused) {
    CSFLayerIcons icons;
    icons.AddIcon(std::make_unique<CPicture>(nullptr, platform::RGB(255, 0, 0), 16, 16));
    platform::CMemFile file;
    icons.WriteDocument(file);
    const bytes record = file.Detach();
    for (std::size_t cut = 4; cut < record.size(); ++cut) {
        CSFLayerIcons read;
        platform::CMemFile in(record.data(), cut);
        in.Seek(4, platform::CFile::begin);
        ASSERT_EQ(read.ReadIcons(in, nullptr), 1) << "cut at " << cut;
        EXPECT_EQ(read.m_nIcons, 0u);
    }
    const std::pair<std::size_t, std::uint32_t> patches[] = {
        {4, 0xFFFFFFFF},   // count
        {12, 0x10000},     // width
        {16, 0xFFFFFFFF},  // height
    };
    for (const auto& [at, v] : patches) {
        bytes copy = record;
        endian::put_le32(&copy[at], v);
        CSFLayerIcons read;
        platform::CMemFile in(copy.data(), copy.size());
        in.Seek(4, platform::CFile::begin);
        EXPECT_EQ(read.ReadIcons(in, nullptr), 1) << at;
    }
}
