#include "text/MessageListOutput.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace {

// The message list as a plain container; index 0 is the top line.
class InMemoryMessageList : public MessageListOutput, public TopLineList {
public:
    bool CarryOut(const ListChange& change) override { ApplyListChange(*this, change); return true; }
    std::deque<std::string> lines;
    int popUps = 0;

    bool ReadTopLine(std::string& line) override
    {
        if (lines.empty())
            return false;
        line = lines.front();
        return true;
    }
    void DeleteTopLine() override
    {
        if (!lines.empty())
            lines.pop_front();
    }
    void InsertTopLine(const std::string& line) override { lines.push_front(line); }
    void PopUp() override { ++popUps; }

    std::vector<std::string> Lines() const { return {lines.begin(), lines.end()}; }
};

using Lines = std::vector<std::string>;

TEST(MessageListOutput, AddLinePutsTheNewestLineOnTopWithTabsAsBlanks)
{
    InMemoryMessageList list;
    list.AddLine("first");
    list.AddLine("a\tb\tc");
    EXPECT_EQ(list.Lines(), (Lines{"a b c", "first"}));
    EXPECT_EQ(list.popUps, 2);
}

TEST(MessageListOutput, PrependReplacesTheTopLineAndKeepsTheRest)
{
    InMemoryMessageList list;
    list.AddLine("older");
    list.AddLine("192.0.2.10");
    list.PrependToTopLine("Hallo <-");
    EXPECT_EQ(list.Lines(), (Lines{"Hallo <- 192.0.2.10", "older"}));
    EXPECT_EQ(list.popUps, 3);
}

TEST(MessageListOutput, AppendJoinsWithOneBlankAndKeepsTheTextsOwnBlanks)
{
    InMemoryMessageList list;
    list.AddLine("Hostname: tide");
    list.AppendToTopLine(", IP:");
    list.AppendToTopLine(" , binding socket on port ");
    EXPECT_EQ(list.Lines(), (Lines{"Hostname: tide , IP:  , binding socket on port "}));
    EXPECT_EQ(list.popUps, 3);
}

// Only the new text loses its tabs; the top line is used as it stands.
TEST(MessageListOutput, JoinsTreatTabsOfTheNewTextOnly)
{
    InMemoryMessageList list;
    list.lines.push_front("top\tline");
    list.AppendToTopLine("x\ty");
    EXPECT_EQ(list.Lines(), (Lines{"top\tline x y"}));
    list.PrependToTopLine("\tz");
    EXPECT_EQ(list.Lines(), (Lines{" z top\tline x y"}));
}

// "clear list" can empty the list between a sender's address line and its message.
TEST(MessageListOutput, JoinOnAnEmptyListAddsTheTextAsItsOwnLine)
{
    InMemoryMessageList list;
    list.PrependToTopLine("Hallo\t<-");
    EXPECT_EQ(list.Lines(), (Lines{"Hallo <-"}));
    list.lines.clear();
    list.AppendToTopLine(", IP:");
    EXPECT_EQ(list.Lines(), (Lines{", IP:"}));
    EXPECT_EQ(list.popUps, 2);
}

TEST(MessageListOutput, ErrorLinesShowTheSignedCode)
{
    InMemoryMessageList list;
    list.AddSocketErrorLine(11001, "");
    list.AddSocketErrorLine(-5, "bad\tthing\n");
    list.AddErrorCodeLine(10048);
    list.AddErrorCodeLine(-2147483647 - 1);
    EXPECT_EQ(list.Lines(), (Lines{"Errorcode:-2147483648", "Errorcode:10048",
                                   "Errorcode:-5 :bad thing\n", "Errorcode:11001 :"}));
    EXPECT_EQ(list.popUps, 4);
}

TEST(MessageListOutput, SocketErrorTextIsNotTruncated)
{
    InMemoryMessageList list;
    const std::string longText(5000, 'x');
    list.AddSocketErrorLine(10054, longText);
    ASSERT_EQ(list.lines.size(), 1u);
    EXPECT_EQ(list.lines.front(), "Errorcode:10054 :" + longText);
}

TEST(MessageListOutput, MultiPartLinesJoinWithBlanksAndLoseTheirTabs)
{
    InMemoryMessageList list;
    list.AddTwoPartLine("a\t", "b");
    list.AddThreePartLine("x", "", "z\t");
    EXPECT_EQ(list.Lines(), (Lines{"x  z ", "a  b"}));
    EXPECT_EQ(list.popUps, 2);
}

}  // namespace
