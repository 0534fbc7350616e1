#include "viewer/bxscript.h"

#include "imaging/pxerror.h"
#include "platform/win/messages.h"
#include "viewer/tokensource.h"

#include <strings.h>

#include <cstring>

namespace {

bool SameKeyword(const char* token, const char* keyword) {
    return token && strcasecmp(token, keyword) == 0;
}

const char* OrNull(const std::optional<std::string>& text) {
    return text ? text->c_str() : "(null)";
}

Object* FindObject(ObjectList& objects, int type, const char* name) {
    pxLog("FindObject -- searching for %d:%s out of %d objects", type, name,
          static_cast<int>(objects.size()));
    for (size_t i = 0; i < objects.size(); ++i) {
        Object& object = *objects[i];
        pxLog("FindObject -- Object %d:  Type=%d  Name=%s", static_cast<int>(i), object.GetType(),
              OrNull(object.GetName()));
        if (object.GetType() == type && object.GetName() == name)
            return &object;
    }
    return nullptr;
}

Object* FindObject(ObjectList& objects, const char* name) {
    pxLog("FindObject -- searching for %s out of %d objects", name,
          static_cast<int>(objects.size()));
    for (size_t i = 0; i < objects.size(); ++i) {
        Object& object = *objects[i];
        pxLog("FindObject (name only) -- Object %d:  Type=%d  Name=%s", static_cast<int>(i),
              object.GetType(), OrNull(object.GetName()));
        if (object.GetName() == name)
            return &object;
    }
    return nullptr;
}

std::unique_ptr<Object> CreateObject(const char* keyword, const std::string& folder) {
    if (SameKeyword(keyword, "image"))
        return std::make_unique<ObjectImage>(folder);
    if (SameKeyword(keyword, "hotspot"))
        return std::make_unique<ObjectHotspot>();
    if (SameKeyword(keyword, "rectangle"))
        return std::make_unique<ObjectRectangle>();
    return nullptr;
}

// Builds an item whose keyword is the current token; a failure deletes the
// half-built item and is logged before it goes on.
template <typename Item, typename List>
void BuildInto(std::unique_ptr<Item> item, TokenSource& tokens, ObjectList& objects, List& list,
               const char* what) {
    try {
        item->Build(tokens, objects);
    } catch (const pxError& error) {
        pxLog("%s -- ERROR: %s", what, error.GetMessage());
        throw;
    }
    list.push_back(std::move(item));
}

// The token after the keyword, which must stand on the keyword's line.
const char* NextOnSameLine(TokenSource& tokens, int keywordLine) {
    tokens.Next();
    const char* token = tokens.Curr();
    return token && tokens.Line() == keywordLine ? token : nullptr;
}

} // namespace

std::optional<win::UINT> WaitEventMessage(const char* eventName) {
    if (SameKeyword(eventName, "click"))
        return win::WM_LBUTTONDOWN;
    if (SameKeyword(eventName, "rightclick"))
        return win::WM_RBUTTONDOWN;
    if (SameKeyword(eventName, "key"))
        return win::WM_CHAR;
    return std::nullopt;
}

std::unique_ptr<Statement> CreateStatement(const char* keyword, int nesting) {
    if (SameKeyword(keyword, "display"))
        return std::make_unique<StatementDisplay>();
    if (SameKeyword(keyword, "wait"))
        return std::make_unique<StatementWait>(nesting);
    if (SameKeyword(keyword, "label"))
        return std::make_unique<StatementLabel>();
    if (SameKeyword(keyword, "goto"))
        return std::make_unique<StatementGoto>();
    if (keyword && std::strchr(keyword, '.'))
        return std::make_unique<StatementObjExec>();
    return nullptr;
}

void Object::Build(TokenSource& tokens, ObjectList&) {
    tokens.Next();
    if (const char* token = tokens.Curr())
        name = token;
    pxLog("%s::Build -- name: '%s'", ClassName(), OrNull(name));
    tokens.Next();
}

void ObjectImage::Build(TokenSource& tokens, ObjectList& objects) {
    Object::Build(tokens, objects);
    image = std::make_unique<pxImage>();
    palette = std::make_unique<pxPalette>();
}

void ObjectHotspot::Build(TokenSource& tokens, ObjectList& objects) {
    Object::Build(tokens, objects);
    for (auto& picture : images)
        picture = std::make_unique<pxImage>();
}

void StatementDisplay::Build(TokenSource& tokens, ObjectList& objects) {
    const int line = tokens.Line();
    const char* name = NextOnSameLine(tokens, line);
    if (!name) {
        const bool elsewhere = tokens.Curr() != nullptr;
        pxLog("StatementDisplay::Build -- invalid parameter to DISPLAY (need IMAGE reference), "
              "line %d,%d",
              line, tokens.Line());
        throw pxError("ERROR [%d]: Invalid DISPLAY syntax, need valid IMAGE reference%s.", line,
                      elsewhere ? " on the same line" : "");
    }
    image = static_cast<ObjectImage*>(FindObject(objects, Object::Image, name));
    if (!image) {
        pxLog("StatementDisplay::Build -- could not find object %d:%s", Object::Image, name);
        throw pxError("ERROR [%d]: Cannot find an IMAGE object named '%s'", line, name);
    }
    tokens.Next();
}

void StatementLabel::Build(TokenSource& tokens, ObjectList&) {
    const int line = tokens.Line();
    const char* name = NextOnSameLine(tokens, line);
    if (!name) {
        pxLog("StatementLabel::Build -- invalid parameter to LABEL (need LABEL name on same "
              "line), line %d,%d",
              line, tokens.Line());
        throw pxError("SYNTAX ERROR [%d]: LABEL statement, needs name on the same line.", line);
    }
    SetName(name);
    tokens.Next();
}

void StatementGoto::Build(TokenSource& tokens, ObjectList&) {
    const int line = tokens.Line();
    const char* name = NextOnSameLine(tokens, line);
    if (!name) {
        pxLog("StatementGoto::Build -- invalid parameter to GOTO (need LABEL name on same line), "
              "line %d,%d",
              line, tokens.Line());
        throw pxError("SYNTAX ERROR [%d]: GOTO statement, needs LABEL name on the same line.",
                      line);
    }
    target = name;
    tokens.Next();
}

void StatementObjExec::Build(TokenSource& tokens, ObjectList& objects) {
    const int line = tokens.Line();
    const std::string call = tokens.Curr();
    const size_t dot = call.find('.');
    const std::string objectName = call.substr(0, dot);
    function = call.substr(dot + 1);
    object = FindObject(objects, objectName.c_str());
    if (!object) {
        pxLog("StatementObjExec::Build -- object '%s' not found! [line %d]", objectName.c_str(),
              line);
        throw pxError("SYNTAX ERROR [line %d]: Object '%s' not found (for statement %s)", line,
                      objectName.c_str(), call.c_str());
    }
    tokens.Next();
    while (tokens.Curr() && tokens.Line() == line) {
        arguments.emplace_back(tokens.Curr());
        tokens.Next();
    }
}

void StatementWait::Build(TokenSource& tokens, ObjectList& objects) {
    const int line = tokens.Line();
    tokens.Next();
    if (!tokens.Curr() || std::strcmp(tokens.Curr(), "{") != 0) {
        pxLog("StatementWait::Build --  No '{' after WAIT [%s] [line %d]",
              tokens.Curr() ? tokens.Curr() : "<null/eof>", line);
        throw pxError("SYNTAX ERROR [%d]: Invalid WAIT syntax, '{' must follow WAIT", line);
    }
    tokens.Next();
    while (!tokens.Curr() || std::strcmp(tokens.Curr(), "}") != 0) {
        const char* token = tokens.Curr();
        if (!SameKeyword(token, "on")) {
            pxLog("StatementWait::Build -- bad token (%s) after WAIT statment, line %d",
                  token ? token : "<null/eof>", tokens.Line());
            throw pxError("SYNTAX ERROR [%d]: bad token (%s) after WAIT statment.", tokens.Line(),
                          token ? token : "<null/eof>");
        }
        BuildInto(std::make_unique<StatementOn>(nesting), tokens, objects, clauses,
                  "ParseStatement");
    }
    tokens.Next();
}

void StatementOn::Build(TokenSource& tokens, ObjectList& objects) {
    tokens.Next();
    const char* event = tokens.Curr();
    pxLog("StatementOn::Build -- after ON: '%s'", event ? event : "(null)");
    const std::optional<win::UINT> wanted = WaitEventMessage(event);
    if (!wanted)
        throw pxError("SYNTAX ERROR [%d]: Unknown event '%s' after ON (CLICK, RIGHTCLICK or KEY).",
                      tokens.Line(), event ? event : "<null/eof>");
    message = *wanted;
    // The target and DO are not looked at.
    tokens.Next();
    tokens.Next();
    tokens.Next();
    statement = CreateStatement(tokens.Curr(), nesting + 1);
    if (!statement)
        throw pxError("BxScript::ParseStatement -- invalid statement type: %d", 0);
    if (nesting + 1 > kMaxNesting)
        throw pxError("SYNTAX ERROR [%d]: WAIT statements nested more than %d deep.", tokens.Line(),
                      kMaxNesting);
    statement->Build(tokens, objects);
}

BxScript::~BxScript() {
    pxLog("BxScript::~BxScript");
    pxLog("BxScript::~BxScript -- cleaning up objects (%d)", static_cast<int>(objects.size()));
    for (auto& object : objects) {
        pxLog("BxScript::~BxScript -- deleting object: %d '%s'", object->GetType(),
              object->GetName() ? object->GetName()->c_str() : "<no name>");
        object.reset();
    }
    pxLog("BxScript::~BxScript -- cleaning up statments (%d)", static_cast<int>(statements.size()));
    for (auto& statement : statements) {
        pxLog("BxScript::~BxScript -- deleting statement: %d", statement->GetType());
        statement.reset();
    }
    pxLog("BxScript::~BxScript -- done");
}

int BxScript::Build(const char* text) {
    pxLog("BxScript::Build");
    TokenSource tokens;
    tokens.Push(std::make_unique<StringCharacterSource>(text));
    tokens.Next();
    while (const char* token = tokens.Curr()) {
        pxLog("BxScript::Build -- tSrc.Curr() = %s", token);
        if (std::unique_ptr<Object> object = CreateObject(token, folder)) {
            BuildInto(std::move(object), tokens, objects, objects, "ParseObjectDeclaration");
        } else if (std::unique_ptr<Statement> statement = CreateStatement(token, 0)) {
            BuildInto(std::move(statement), tokens, objects, statements, "ParseStatement");
        } else {
            pxLog("BxScript::Build -- Unrecognized token: '%s' at line %d", token, tokens.Line());
            throw pxError("SYNTAX ERROR [%d]:  Unrecognized token: '%s'", tokens.Line(), token);
        }
    }
    pxLog("BxScript::Build -- done");
    return 1;
}

void BxScript::DumpObjects() const {
    pxLog("---------------  Object Dump  -----------------");
    for (size_t i = 0; i < objects.size(); ++i)
        pxLog("Object %d:  Type=%d  Name=%s", static_cast<int>(i), objects[i]->GetType(),
              objects[i]->GetName() ? objects[i]->GetName()->c_str() : "<no name specified>");
    pxLog("-----------------------------------------------");
}

void BxScript::DumpStatements() const {
    pxLog("---------------  Statement Dump  --------------");
    for (size_t i = 0; i < statements.size(); ++i)
        pxLog("Statement %d:  Type=%d  Name=%s", static_cast<int>(i), statements[i]->GetType(),
              statements[i]->GetName() ? statements[i]->GetName()->c_str() : "<unnamed>");
    pxLog("-----------------------------------------------");
}
