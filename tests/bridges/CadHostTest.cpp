// The rules of the CAD host bridge, without a window system: which window is the host, the
// command text and the record that carries it.
#include "bridges/CadHost.h"
#include "support/FakeCadHostWindows.h"

#include <gtest/gtest.h>

namespace orvanta {
namespace {

TEST(CadHost, WindowMatchRule) {
    const std::string afx = "Afx:00400000:8:00010003:00000000:003B05C1";
    EXPECT_TRUE(IsCadHostWindow("AutoCAD 2017 - [plan.dwg]", afx));
    EXPECT_TRUE(IsCadHostWindow("DWG TrueView 2018 - [図面1.dwg]", afx));
    EXPECT_TRUE(IsCadHostWindow("Autodesk AutoCAD LT 2016", "AfxMDIFrame140u"));
    // The title must carry the blank after the word, and is compared case-sensitively.
    EXPECT_FALSE(IsCadHostWindow("AutoCAD", afx));
    EXPECT_FALSE(IsCadHostWindow("AUTOCAD 2017", afx));
    EXPECT_FALSE(IsCadHostWindow("", afx));
    // The class must begin with "Afx:" and hold ":8:", or begin with "AfxMDIFrame".
    EXPECT_FALSE(IsCadHostWindow("AutoCAD 2017", "Afx:00400000:0:00010003"));
    EXPECT_FALSE(IsCadHostWindow("AutoCAD 2017", "AfxFrameOrView140u"));
    EXPECT_FALSE(IsCadHostWindow("AutoCAD 2017", "acad"));
    // Only the first 255 characters of the class count.
    EXPECT_FALSE(IsCadHostWindow("AutoCAD 2017", "Afx:" + std::string(251, '0') + ":8:"));
    EXPECT_TRUE(IsCadHostWindow("AutoCAD 2017", "Afx:" + std::string(248, '0') + ":8:"));
}

TEST(CadHost, CommandTextAndRecordBytes) {
    const std::u16string text = InsertCommandText("/図面/a b.dwg");
    EXPECT_EQ(text, u"\x03-INSERT /図面/a b.dwg\rS 1 R 0 ");

    TransferRecord record;
    record.text = u"\x03-I図";
    EXPECT_EQ(record.byteCount(), 10u);
    const std::vector<std::uint8_t> expected = {1, 0,   0, 0,   10, 0,    0,    0, 3,
                                                0, '-', 0, 'I', 0,  0xF3, 0x56, 0, 0};
    EXPECT_EQ(record.bytes(), expected);
    record.text.assign(511, u'x');
    EXPECT_TRUE(record.fits());
    record.text += u'x';
    EXPECT_FALSE(record.fits());
}

TEST(CadHost, InsertionGoesToTheFirstHostInTheWindowOrder) {
    const std::string afx = "Afx:00400000:8:00010003:00000000:003B05C1";
    test::FakeCadHostWindows desk;
    CadHost host(desk);
    EXPECT_EQ(host.InsertAsBlock("/d/a.dwg"), CadHost::Insertion::NoHost);
    EXPECT_TRUE(desk.activated.empty());
    EXPECT_TRUE(desk.delivered.empty());

    desk.windows = {{1, "AutoCAD", afx, 10},
                    {2, "Terminal", "XTerm", 11},
                    {3, "AutoCAD LT 2017 - [x.dwg]", afx, 12},
                    {4, "AutoCAD 2016 - [y.dwg]", afx, 13}};
    EXPECT_EQ(host.InsertAsBlock("/d/a.dwg"), CadHost::Insertion::Sent);
    EXPECT_EQ(desk.activated, std::vector<std::uint64_t>{3});
    ASSERT_EQ(desk.delivered.size(), 1u);
    EXPECT_EQ(desk.delivered[0].first, 3u);
    TransferRecord record;
    record.text = u"\x03-INSERT /d/a.dwg\rS 1 R 0 ";
    EXPECT_EQ(desk.delivered[0].second, record.bytes());
    EXPECT_EQ(host.hostProcess(), 12);

    // The host closed: activation forgets it and finds the next one.
    desk.windows.erase(desk.windows.begin() + 2);
    EXPECT_TRUE(host.ActivateHost());
    EXPECT_EQ(host.hostWindow(), 4u);
}

} // namespace
} // namespace orvanta
