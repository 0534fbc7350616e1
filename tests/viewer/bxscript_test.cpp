// The presentation script's parser: tokens, the objects and statements a
// script builds, and the message of each syntax error.
#include "../support/capturedlog.h"

#include "imaging/pxerror.h"
#include "platform/win/messages.h"
#include "viewer/bxscript.h"
#include "viewer/tokensource.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

struct Token {
    std::string text;
    int line;
    bool operator==(const Token&) const = default;
};

std::vector<Token> Tokens(const char* text) {
    TokenSource tokens;
    tokens.Push(std::make_unique<StringCharacterSource>(text));
    std::vector<Token> found;
    for (tokens.Next(); tokens.Curr(); tokens.Next())
        found.push_back({tokens.Curr(), tokens.Line()});
    return found;
}

std::string BuildError(const char* text, BxScript& script) {
    try {
        script.Build(text);
    } catch (const pxError& error) {
        return error.GetMessage();
    }
    return "built";
}

std::string BuildError(const char* text) {
    BxScript script;
    return BuildError(text, script);
}

// Type and name of each item, as the dumps show them.
template <typename List> std::vector<std::pair<int, std::string>> Items(const List& list) {
    std::vector<std::pair<int, std::string>> items;
    for (const auto& item : list)
        items.emplace_back(item->GetType(), item->GetName().value_or("-"));
    return items;
}

TEST(TokenSource, CutsWordsStringsAndPunctuationAndCountsLines) {
    EXPECT_EQ(Tokens("image pic # a comment, \"not a string\"\n"
                     "pic.LOAD \"my file.jps\",next\r\n"
                     "wait{on click x do goto top}\n"
                     "\"say \\\"hi\\\" \\\\ \\n\" \"\" a=b;c"),
              (std::vector<Token>{{"image", 0},
                                  {"pic", 0},
                                  {"pic.LOAD", 1},
                                  {"my file.jps", 1},
                                  {"next", 1},
                                  {"wait", 2},
                                  {"{", 2},
                                  {"on", 2},
                                  {"click", 2},
                                  {"x", 2},
                                  {"do", 2},
                                  {"goto", 2},
                                  {"top", 2},
                                  {"}", 2},
                                  {"say \"hi\" \\ \\n", 3},
                                  {"", 3},
                                  {"a", 3},
                                  {"=", 3},
                                  {"b", 3},
                                  {";", 3},
                                  {"c", 3}}));
    // A comment or a string left open at the end ends the input.
    EXPECT_TRUE(Tokens("# only a comment").empty());
    EXPECT_EQ(Tokens("word \"open"), (std::vector<Token>{{"word", 0}}));

    // The nine tokens before the current one stay readable in their buffers.
    TokenSource tokens;
    tokens.Push(std::make_unique<StringCharacterSource>("t0 t1 t2 t3 t4 t5 t6 t7 t8 t9 t10"));
    std::vector<const char*> texts;
    for (int i = 0; i < 10; ++i) {
        tokens.Next();
        texts.push_back(tokens.Curr());
    }
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(std::string(texts[i]), "t" + std::to_string(i));
    tokens.Next();
    EXPECT_STREQ(tokens.Curr(), "t10");
    EXPECT_STREQ(texts[1], "t1");

    // Long tokens are refused, long comments and blank runs are passed over.
    const std::string longest(255, 'x');
    EXPECT_EQ(Tokens(longest.c_str()), (std::vector<Token>{{longest, 0}}));
    const std::string tooLong = "\"" + std::string(256, 'y') + "\"";
    EXPECT_THROW(Tokens(tooLong.c_str()), pxError);
    const std::string padded = "#" + std::string(5000, '-') + "\n" + std::string(5000, ' ') + "w";
    EXPECT_EQ(Tokens(padded.c_str()), (std::vector<Token>{{"w", 1}}));
}

TEST(BxScriptBuild, AWholeScriptBuildsItsObjectsAndStatementsInOrder) {
    CapturedLog log;
    {
        BxScript script;
        ASSERT_EQ(script.Build("# A tour\n"
                               "IMAGE pic\n"
                               "hotspot spot rectangle\n"
                               "box\n"
                               "Label top\r\n"
                               "pic.LOAD \"my scene.jps\" extra\n"
                               "DISPLAY pic\n"
                               "wait {\n"
                               "  on CLICK anywhere do goto top\n"
                               "  ON key anywhere DO display pic\n"
                               "}\n"
                               "spot.anything 1,2\n"
                               "wait {}\n"
                               "goto top\n"),
                  1);
        EXPECT_EQ(Items(script.GetObjects()),
                  (std::vector<std::pair<int, std::string>>{{1, "pic"}, {2, "spot"}, {3, "box"}}));
        EXPECT_EQ(Items(script.GetStatements()),
                  (std::vector<std::pair<int, std::string>>{
                      {3, "top"}, {6, "-"}, {1, "-"}, {2, "-"}, {6, "-"}, {2, "-"}, {5, "-"}}));
        script.DumpObjects();
        script.DumpStatements();
    }
    const std::string text = log.Text();
    for (const char* line :
         {"BxScript::Build -- tSrc.Curr() = IMAGE\n", "ObjectImage::Build -- name: 'pic'\n",
          "ObjectRectangle::Build -- name: 'box'\n", "StatementOn::Build -- after ON: 'CLICK'\n",
          "FindObject (name only) -- Object 0:  Type=1  Name=pic\n",
          "FindObject -- searching for 1:pic out of 3 objects\n", "Object 2:  Type=3  Name=box\n",
          "Statement 0:  Type=3  Name=top\n", "Statement 1:  Type=6  Name=<unnamed>\n",
          "BxScript::Build -- done\n", "BxScript::~BxScript -- cleaning up objects (3)\n",
          "BxScript::~BxScript -- deleting object: 2 'spot'\n",
          "BxScript::~BxScript -- cleaning up statments (7)\n",
          "BxScript::~BxScript -- deleting statement: 5\n", "BxScript::~BxScript -- done\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
    EXPECT_EQ(WaitEventMessage("Click"), win::WM_LBUTTONDOWN);
    EXPECT_EQ(WaitEventMessage("RIGHTCLICK"), win::WM_RBUTTONDOWN);
    EXPECT_EQ(WaitEventMessage("key"), win::WM_CHAR);
}

TEST(BxScriptBuild, EachSyntaxErrorHasItsMessage) {
    const std::pair<const char*, const char*> cases[] = {
        {"image pic\ndisplay\npic", "ERROR [1]: Invalid DISPLAY syntax, need valid IMAGE "
                                    "reference on the same line."},
        {"image pic\ndisplay", "ERROR [1]: Invalid DISPLAY syntax, need valid IMAGE reference."},
        {"image Pic\ndisplay pic", "ERROR [1]: Cannot find an IMAGE object named 'pic'"},
        {"hotspot pic\ndisplay pic", "ERROR [1]: Cannot find an IMAGE object named 'pic'"},
        {"label\nname", "SYNTAX ERROR [0]: LABEL statement, needs name on the same line."},
        {"label a\ngoto", "SYNTAX ERROR [1]: GOTO statement, needs LABEL name on the same line."},
        {"image pic\n\nwait pic", "SYNTAX ERROR [2]: Invalid WAIT syntax, '{' must follow WAIT"},
        {"wait { display x }", "SYNTAX ERROR [0]: bad token (display) after WAIT statment."},
        {"wait {", "SYNTAX ERROR [0]: bad token (<null/eof>) after WAIT statment."},
        {"wait { on click x do }", "BxScript::ParseStatement -- invalid statement type: 0"},
        {"wait { on blink x do goto a }",
         "SYNTAX ERROR [0]: Unknown event 'blink' after ON (CLICK, RIGHTCLICK or KEY)."},
        {"show pic", "SYNTAX ERROR [0]:  Unrecognized token: 'show'"},
        {"image a\n on", "SYNTAX ERROR [1]:  Unrecognized token: 'on'"},
        {"image pic\npicture.LOAD x",
         "SYNTAX ERROR [line 1]: Object 'picture' not found (for statement picture.LOAD)"},
    };
    for (const auto& [text, message] : cases)
        EXPECT_EQ(BuildError(text), message) << text;

    // What was built before the error stays and is freed with the script.
    BxScript script;
    EXPECT_NE(BuildError("image a\nimage b\nlabel x\ndisplay c", script), "built");
    EXPECT_EQ(script.GetObjects().size(), 2u);
    EXPECT_EQ(script.GetStatements().size(), 1u);

    // Nesting is bounded, so a hostile script cannot exhaust the stack.
    std::string nested;
    for (int i = 0; i < 1000; ++i)
        nested += "wait { on click x do ";
    EXPECT_EQ(BuildError(nested.c_str()),
              "SYNTAX ERROR [0]: WAIT statements nested more than 16 deep.");
}

} // namespace
