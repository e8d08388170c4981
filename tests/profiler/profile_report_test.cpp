#include <cmath>
#include <cstdio>
#include <memory>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "profiler_fixture.h"

namespace {

std::string field(const std::string& name) { return name + std::string(40 - name.size(), ' '); }

const std::string treeHeader = field("call tree") + "  calls       self time      total time";
const std::string flatHeader = field("sorted list") + "  calls       self time      total time";

std::vector<std::string> rowsOf(const std::string& text) {
  std::vector<std::string> rows;
  std::stringstream stream(text);
  for (std::string row; std::getline(stream, row);) rows.push_back(row);
  return rows;
}

std::string readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream content;
  content << file.rdbuf();
  return content.str();
}

std::string zoneOrder(const ProfileManager& manager) {
  std::string order;
  for (const ProfileZone* zone = manager.rootZone.next; zone != nullptr; zone = zone->next) order += zone->name;
  return order;
}

class ProfileReportTest : public ProfilerTest {
 protected:
  // root { 50 } A { 300 B { 200 } 100 } C { 400 }: 1000 ticks in zones.
  void buildScenario() {
    manager.enterZone(a);
    advance(300);
    spend(b, 200);
    advance(100);
    manager.leaveZone();
    advance(50);
    spend(c, 400);
    manager.update();
  }

  const std::string rootRow = field("<unprofiled>") + "    1.0     50 us    5%      1 ms  105%";
  const std::string rowA = "    1.0    400 us   40%    600 us   60%";
  const std::string rowB = "    1.0    200 us   20%    200 us   20%";
  const std::string rowC = "    1.0    400 us   40%    400 us   40%";
};

TEST_F(ProfileReportTest, CallTreeRowsFollowTheTreeWithTwoBlanksPerLevel) {
  buildScenario();
  const std::string expected = treeHeader + "\n" + rootRow + "\n" + field("  A") + rowA + "\n" +
                               field("    B") + rowB + "\n" + field("  C") + rowC;
  EXPECT_EQ(treeReportText(manager), expected);
  EXPECT_EQ(expected.size(), reportBufferSize(manager.nodeCount) - 1);
  EXPECT_EQ(zoneOrder(manager), "ABC");  // the call tree does not sort
}

TEST_F(ProfileReportTest, SortedListOrdersZonesBySelfTime) {
  buildScenario();
  const std::string expected = flatHeader + "\n" + rootRow + "\n" + field("C") + rowC + "\n" + field("A") + rowA +
                               "\n" + field("B") + rowB;
  EXPECT_EQ(flatReportText(manager), expected);
  EXPECT_EQ(zoneOrder(manager), "CAB");
  EXPECT_EQ(manager.zoneTail, &b.zone);
}

TEST_F(ProfileReportTest, WritersFillExactlyTheirBuffer) {
  buildScenario();
  std::vector<char> tree(reportBufferSize(manager.nodeCount), 'x');
  writeTreeReport(manager, tree.data());
  EXPECT_EQ(tree.back(), '\0');
  EXPECT_EQ(std::string(tree.data()), treeReportText(manager));

  std::vector<char> flat(reportBufferSize(manager.zoneCount), 'x');
  writeFlatReport(manager, flat.data());
  EXPECT_EQ(flat.back(), '\0');
  EXPECT_EQ(rowsOf(flat.data())[2], field("A") + rowA);  // list order: writing does not sort
}

TEST_F(ProfileReportTest, RootAloneAfterClearIsTwoRows) {
  buildScenario();
  manager.clear();
  manager.damping = 0.0f;
  advance(250);
  manager.update();
  const std::string text = treeReportText(manager);
  // No time inside zones: the percentages divide by zero.
  EXPECT_EQ(text, treeHeader + "\n" + field("<unprofiled>") + "    1.0    250 us  inf%    250 us  inf%");
  EXPECT_EQ(text.size(), 159u);
}

TEST_F(ProfileReportTest, LongNamesAreCutToTheField) {
  const std::string longName = "ThisZoneNameIsFortyFiveCharactersLongForSure";
  ASSERT_EQ(longName.size(), 44u);
  const std::string name45 = longName + "!";
  ZoneSite site(name45.c_str());
  spend(site, 10);
  manager.update();
  const std::vector<std::string> rows = rowsOf(flatReportText(manager));
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[2], name45.substr(0, 40) + "    1.0     10 us  100%     10 us  100%");

  // A number wider than its field pushes the rest right; the row stays 79.
  site.zone.data.calls.average = 1234567.0f;
  std::vector<char> buffer(reportBufferSize(manager.zoneCount));
  writeFlatReport(manager, buffer.data());
  EXPECT_EQ(rowsOf(buffer.data())[2], name45.substr(0, 40) + " 1234567.0     10 us  100%     10 us  1");
  manager.releaseNodes();
}

TEST_F(ProfileReportTest, DeepNamesShiftOutOfTheField) {
  std::vector<std::string> names;
  for (int i = 1; i <= 22; ++i) names.push_back("Level" + std::to_string(i));
  std::vector<std::unique_ptr<ZoneSite>> sites;
  for (const std::string& name : names) {
    sites.push_back(std::make_unique<ZoneSite>(name.c_str()));
    manager.enterZone(*sites.back());
  }
  for (size_t i = 0; i < sites.size(); ++i) manager.leaveZone();
  manager.update();
  const std::vector<std::string> rows = rowsOf(treeReportText(manager));
  ASSERT_EQ(rows.size(), 24u);
  struct Case {
    int depth;
    std::string nameField;
  } cases[] = {{1, field("  Level1")},
               {19, std::string(38, ' ') + "Le"},
               {20, std::string(40, ' ')},
               {21, std::string(40, ' ')},
               {22, std::string(40, ' ')}};
  for (const Case& test : cases) {
    const std::string& row = rows[size_t(test.depth) + 1];
    EXPECT_EQ(row.substr(0, 41), test.nameField + " ") << test.depth;
    EXPECT_EQ(row.size(), 79u);
  }
  manager.releaseNodes();
}

TEST_F(ProfileReportTest, TimeUnitsSwitchAboveEachThreshold) {
  // A: all its time is in B; B: exactly the rate; C: above the rate; D: in ms.
  manager.enterZone(a);
  spend(b, 1000000);
  manager.leaveZone();
  spend(c, 3000000);
  spend(d, 1600);
  manager.update();
  const std::vector<std::string> rows = rowsOf(treeReportText(manager));
  ASSERT_EQ(rows.size(), 6u);
  auto selfPart = [](const std::string& row) { return row.substr(48, 15); };
  auto totalPart = [](const std::string& row) { return row.substr(64, 15); };
  EXPECT_EQ(selfPart(rows[2]), "     0 ns    0%");
  EXPECT_EQ(totalPart(rows[2]), "  1000 ms   25%");
  EXPECT_EQ(selfPart(rows[3]), "  1000 ms   25%");
  EXPECT_EQ(selfPart(rows[4]), "     3 s    75%");
  EXPECT_EQ(selfPart(rows[5]), "     2 ms    0%");
  EXPECT_EQ(totalPart(rows[1]), "     4 s   100%");
}

TEST_F(ProfileReportTest, PickTimeUnitUsesStrictThresholds) {
  struct Case {
    float ticks;
    const char* suffix;
  } cases[] = {{1000001.0f, "s"}, {1000000.0f, "ms"}, {1001.0f, "ms"}, {1000.0f, "us"}, {2.0f, "us"},
               {1.0f, "ns"},      {0.0f, "ns"},       {NAN, "ns"},     {-5.0f, "ns"}};
  for (const Case& test : cases) EXPECT_STREQ(pickTimeUnit(test.ticks).suffix, test.suffix) << test.ticks;
  EXPECT_FLOAT_EQ(pickTimeUnit(0.0f).factor, 1000.0f);
  EXPECT_FLOAT_EQ(pickTimeUnit(5e6f).factor, 1e-6f);
}

TEST_F(ProfileReportTest, MessagesReplaceTheReports) {
  const std::string notUpdated = "!!! Profile data must first be updated !!!";
  EXPECT_EQ(treeReportText(manager), notUpdated);
  EXPECT_EQ(flatReportText(manager), notUpdated);
  spend(a, 5);
  EXPECT_EQ(treeReportText(manager), notUpdated);

  ProfileManager unused;
  unused.update();
  EXPECT_EQ(treeReportText(unused), "!!! No profiles where executed !!!");
  EXPECT_EQ(flatReportText(unused), "!!! No profiles where executed !!!");
  EXPECT_STREQ(unavailableReason(unused), "!!! No profiles where executed !!!");
  unused.releaseNodes();
  manager.update();
  EXPECT_EQ(unavailableReason(manager), nullptr);
}

TEST_F(ProfileReportTest, TiedZonesMoveOnEverySort) {
  for (ZoneSite* site : {&a, &b, &c, &d}) spend(*site, 7);
  manager.update();
  EXPECT_EQ(zoneOrder(manager), "ABCD");
  sortZones(manager);
  EXPECT_EQ(zoneOrder(manager), "CDAB");
  EXPECT_EQ(manager.zoneTail, &b.zone);
  sortZones(manager);
  EXPECT_EQ(zoneOrder(manager), "ABCD");
  EXPECT_EQ(manager.zoneTail, &d.zone);
  EXPECT_EQ(d.zone.next, nullptr);
}

TEST_F(ProfileReportTest, ThreeTiedZonesComeOutReversed) {
  for (ZoneSite* site : {&a, &b, &c}) spend(*site, 7);
  manager.update();
  sortZones(manager);
  EXPECT_EQ(zoneOrder(manager), "CBA");
  EXPECT_EQ(manager.zoneTail, &a.zone);
}

TEST_F(ProfileReportTest, DistinctKeysComeOutLargestFirst) {
  const float keys[] = {3, 9, 1, 7, 5, 8, 2, 6, 4, 10, 0};
  std::vector<std::string> names;
  for (int i = 0; i < 11; ++i) names.push_back(std::string(1, char('a' + i)));
  std::vector<std::unique_ptr<ZoneSite>> sites;
  for (int i = 0; i < 11; ++i) {
    sites.push_back(std::make_unique<ZoneSite>(names[size_t(i)].c_str()));
    spend(*sites.back(), 1);
  }
  for (int i = 0; i < 11; ++i) sites[size_t(i)]->zone.data.selfTime.average = keys[i];
  sortZones(manager);
  EXPECT_EQ(zoneOrder(manager), "jbfdheiagck");
  EXPECT_EQ(manager.zoneTail, &sites[10]->zone);
  sortZones(manager);  // already in order: unchanged
  EXPECT_EQ(zoneOrder(manager), "jbfdheiagck");
  manager.releaseNodes();
}

TEST_F(ProfileReportTest, SortingOneZoneKeepsIt) {
  spend(a, 1);
  sortZones(manager);
  EXPECT_EQ(zoneOrder(manager), "A");
  EXPECT_EQ(manager.zoneTail, &a.zone);
}

class ReportFileTest : public ProfileReportTest {
 protected:
  void TearDown() override {
    std::remove(path.c_str());
    ProfileReportTest::TearDown();
  }
  const std::string path = ::testing::TempDir() + "profile_report_test.txt";
};

TEST_F(ReportFileTest, WritesSortedListThenCallTree) {
  buildScenario();
  {
    std::ofstream old(path);
    old << "older and longer content that must go away\n";
  }
  ASSERT_TRUE(outputReports(manager, path.c_str()));
  const std::string flat = flatHeader + "\n" + rootRow + "\n" + field("C") + rowC + "\n" + field("A") + rowA + "\n" +
                           field("B") + rowB;
  const std::string tree = treeHeader + "\n" + rootRow + "\n" + field("  A") + rowA + "\n" + field("    B") + rowB +
                           "\n" + field("  C") + rowC;
  EXPECT_EQ(readFile(path), flat + "\n\n" + tree + "\n\n");
}

TEST_F(ReportFileTest, WritesTheMessageWhenNoReportCanBeGiven) {
  ASSERT_TRUE(outputReports(manager, path.c_str()));
  EXPECT_EQ(readFile(path), "!!! Profile data must first be updated !!!\n\n");
}

TEST_F(ReportFileTest, WritesToStandardOutputWithoutAPath) {
  spend(a, 10);
  manager.update();
  ::testing::internal::CaptureStdout();
  const bool written = outputReports(manager, nullptr);
  std::fflush(stdout);
  const std::string output = ::testing::internal::GetCapturedStdout();
  EXPECT_TRUE(written);
  EXPECT_EQ(output, flatReportText(manager) + "\n\n" + treeReportText(manager) + "\n\n");
}

TEST_F(ReportFileTest, GivesFalseForAFileThatCannotBeOpened) {
  buildScenario();
  const std::string missing = ::testing::TempDir() + "no-such-directory/report.txt";
  ::testing::internal::CaptureStdout();
  EXPECT_FALSE(outputReports(manager, missing.c_str()));
  std::fflush(stdout);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(zoneOrder(manager), "ABC");  // nothing was sorted either
}

}  // namespace
