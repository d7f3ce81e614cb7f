#pragma once

#include <string>

// The top of the message list: the only places the output operations touch. The main
// window implements it over its list box; tests implement it over a plain container.
class TopLineList {
public:
    virtual ~TopLineList() = default;

    // Reads line 0; false (and `line` untouched) when the list is empty.
    virtual bool ReadTopLine(std::string& line) = 0;
    virtual void DeleteTopLine() = 0;
    virtual void InsertTopLine(const std::string& line) = 0;
    // Shows the window and restarts its hide timer; callable from any thread.
    virtual void PopUp() = 0;
};

// The operations through which every status, error and message line enters the list.
// The newest line is always at the top; every operation ends with PopUp().
class MessageListOutput : public TopLineList {
public:
    void AddLine(std::string text);
    void AppendToTopLine(std::string text);
    void PrependToTopLine(std::string text);
    void AddSocketErrorLine(int code, std::string text);
    void AddErrorCodeLine(int code);
    void AddTwoPartLine(std::string a, std::string b);
    void AddThreePartLine(std::string a, std::string b, std::string c);

private:
    enum class TextGoes { BeforeTopLine, AfterTopLine };
    void JoinWithTopLine(std::string text, TextGoes where);
};
