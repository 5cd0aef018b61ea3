// The numbers behind the charts: days and labels of a journal, energies of a day, the average's text.
#include <gtest/gtest.h>

#include <string>

#include "vlm_Statistics.h"
#include "xml_mainUnit.h"
#include "xml_node.h"

namespace {

std::unique_ptr<TXMLParser> Parse(const std::string& body) {
  auto doc = std::make_unique<TXMLParser>();
  EXPECT_EQ(doc->LoadFromString("<?xml version=\"1.0\" encoding=\"UTF-8\" language=\"EN\" standalone=\"yes\"?>\r\n" +
                                body),
            xrOk);
  return doc;
}

}  // namespace

TEST(JournalCounts, DaysDreamsAndLabelsAsTheTreeShowsThem) {
  auto doc = Parse(
      "<velmora>\r\n"
      "<day name=\"1\">\r\n"
      "<comment>day note</comment>\r\n"
      "<experience number=\"1\"><properties label1=\"true\" label2=\"false\" label4=\"true\" /></experience>\r\n"
      "<experience number=\"2\"><properties label1=\"TRUE\" label4=\"true\" /></experience>\r\n"
      "<experience number=\"3\" />\r\n"
      "</day>\r\n"
      "<day name=\"2\" />\r\n"
      "<day name=\"3\"><experience number=\"4\"><properties label2=\"true\" /></experience></day>\r\n"
      "</velmora>\r\n");
  const TJournalCounts counts = CountJournal(*doc->Root);
  EXPECT_EQ(counts.DreamsPerDay, (std::vector<int>{3, 0, 1}));  // the comment is no node of the tree
  EXPECT_EQ(counts.Total, 4);
  EXPECT_EQ(counts.MostPerDay, 3);
  EXPECT_EQ(counts.LabelCounts, (std::array<int, 4>{1, 1, 0, 2}));  // "TRUE" is not "true"
}

TEST(JournalCounts, ALabelWrittenTwiceCountsAsItsFirstValue) {
  auto doc = Parse("<velmora><day name=\"1\"><experience number=\"1\">"
                   "<properties label3=\"false\" label3=\"true\" label4=\"true\" label4=\"true\" />"
                   "</experience></day></velmora>\r\n");
  EXPECT_EQ(CountJournal(*doc->Root).LabelCounts, (std::array<int, 4>{0, 0, 0, 1}));
}

TEST(JournalCounts, EmptyJournalAndDaysWithoutDreams) {
  auto empty = Parse("<velmora />\r\n");
  const TJournalCounts none = CountJournal(*empty->Root);
  EXPECT_TRUE(none.DreamsPerDay.empty());
  EXPECT_EQ(none.Total, 0);
  EXPECT_EQ(none.MostPerDay, 1);  // the value axis keeps 0 .. 1
  EXPECT_EQ(none.LabelCounts, (std::array<int, 4>{}));
}

TEST(JournalCounts, HighestDefinedLabel) {
  EXPECT_EQ(HighestDefinedLabel({false, false, false, false}), 0);
  EXPECT_EQ(HighestDefinedLabel({false, true, false, false}), 2);
  EXPECT_EQ(HighestDefinedLabel({true, false, true, false}), 3);
}

TEST(DayEnergies, CommentPassedOverAndMissingEnergyLowersTheAverage) {
  auto doc = Parse(
      "<velmora><day name=\"d\">\r\n"
      "<experience><energy level=\"0\" /></experience>\r\n"
      "<comment>between</comment>\r\n"
      "<experience><energy level=\"150\" /></experience>\r\n"
      "<experience />\r\n"
      "</day></velmora>\r\n");
  const TDayEnergies day = CountDayEnergies(*doc->Root->GetChild(0));
  EXPECT_EQ(day.Energies, (std::vector<double>{1.0, -0.5, 0.0}));
  EXPECT_DOUBLE_EQ(day.Average, 0.5 / 3);  // without the third dream it would be 0.25
  EXPECT_TRUE(day.BadLevels.empty());
}

TEST(DayEnergies, LevelThatIsNotAnIntegerCountsAsNeutralAndTheRestIsCounted) {
  auto doc = Parse(
      "<velmora><day name=\"d\">\r\n"
      "<experience><energy level=\"abc\" /></experience>\r\n"
      "<experience><energy /></experience>\r\n"
      "<experience><energy level=\"99999999999\" /></experience>\r\n"
      "<experience><energy level=\"+50\" /></experience>\r\n"
      "</day><day name=\"empty\" /></velmora>\r\n");
  const TDayEnergies day = CountDayEnergies(*doc->Root->GetChild(0));
  EXPECT_EQ(day.Energies, (std::vector<double>{0.0, 0.0, 0.0, 0.5}));
  EXPECT_DOUBLE_EQ(day.Average, 0.125);
  EXPECT_EQ(day.BadLevels, (std::vector<std::string>{"abc", "undefined", "99999999999"}));

  const TDayEnergies empty = CountDayEnergies(*doc->Root->GetChild(1));
  EXPECT_TRUE(empty.Energies.empty());
  EXPECT_EQ(empty.Average, 0.0);
}

TEST(FormatGeneral, FifteenDigitsLocaleSeparatorAndExponent) {
  EXPECT_EQ(FormatGeneral(0.0, ","), "0");
  EXPECT_EQ(FormatGeneral(-0.0, ","), "0");
  EXPECT_EQ(FormatGeneral(0.5, ","), "0,5");
  EXPECT_EQ(FormatGeneral(1.0 / 3.0, ","), "0,333333333333333");
  EXPECT_EQ(FormatGeneral(-2.0 / 3.0, "."), "-0.666666666666667");
  EXPECT_EQ(FormatGeneral(1.0, ","), "1");
  EXPECT_EQ(FormatGeneral(0.0000015, ","), "1,5E-6");
}
