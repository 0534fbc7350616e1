// The presentation script: declarations of named objects (pictures, hot
// spots, rectangles) and statements (show a picture, wait for the user,
// labels and jumps, calls of an object's functions), parsed in one pass into
// two ordered lists and then run against a full-screen view.
//
// Parsing is in bxscript.cpp, running in bxscriptrun.cpp.
#pragma once

#include "imaging/pximage.h"
#include "platform/win/wintypes.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class BxView;
class Object;
class Statement;
class TokenSource;

using ObjectList = std::vector<std::unique_ptr<Object>>;
using StatementList = std::vector<std::unique_ptr<Statement>>;
using ArgumentList = std::vector<std::string>;

// The user's actions a WAIT can wait for, by their names in ON clauses
// (any case): CLICK (left button), RIGHTCLICK and KEY (a typed character).
std::optional<win::UINT> WaitEventMessage(const char* eventName);

class Object {
public:
    enum Type { Image = 1, Hotspot = 2, Rectangle = 3 };

    explicit Object(int type) : type(type) {}
    virtual ~Object() = default;
    // Starts on the declaring keyword and ends on the token after the name.
    virtual void Build(TokenSource& tokens, ObjectList& objects);
    // Runs a function of the object; 1 when done. Throws pxError.
    virtual int Execute(const char* function, const ArgumentList& arguments, BxView& view);

    int GetType() const { return type; }
    const std::optional<std::string>& GetName() const { return name; }

protected:
    virtual const char* ClassName() const = 0;

private:
    int type;
    std::optional<std::string> name;
};

class ObjectImage : public Object {
public:
    // Relative file names given to LOAD are taken from this folder ("" for
    // the current one).
    explicit ObjectImage(std::string folder = {}) : Object(Image), folder(std::move(folder)) {}
    void Build(TokenSource& tokens, ObjectList& objects) override;
    int Execute(const char* function, const ArgumentList& arguments, BxView& view) override;

    const pxImage& GetImage() const { return *image; }
    const pxPalette& GetPalette() const { return *palette; }
    uint32_t GetLayout() const { return layout; }
    bool IsLoaded() const { return loaded; }

protected:
    const char* ClassName() const override { return "ObjectImage"; }

private:
    std::string folder;
    std::unique_ptr<pxImage> image = std::make_unique<pxImage>();
    std::unique_ptr<pxPalette> palette = std::make_unique<pxPalette>();
    uint32_t layout = 0;
    bool loaded = false;
};

class ObjectHotspot : public Object {
public:
    ObjectHotspot() : Object(Hotspot) {}
    void Build(TokenSource& tokens, ObjectList& objects) override;

protected:
    const char* ClassName() const override { return "ObjectHotspot"; }

private:
    std::unique_ptr<pxImage> images[3];
};

class ObjectRectangle : public Object {
public:
    ObjectRectangle() : Object(Rectangle) {}

protected:
    const char* ClassName() const override { return "ObjectRectangle"; }
};

class Statement {
public:
    enum Type { Display = 1, Wait = 2, Label = 3, On = 4, Goto = 5, ObjExec = 6 };

    explicit Statement(int type) : type(type) {}
    virtual ~Statement() = default;
    // Starts on the statement's keyword and ends on the token after it.
    virtual void Build(TokenSource& tokens, ObjectList& objects) = 0;
    // The name of the statement to go to next, or nullptr for the next one
    // in order. Throws pxError.
    virtual const char* Execute(ObjectList& objects, BxView& view);

    int GetType() const { return type; }
    const std::optional<std::string>& GetName() const { return name; }

protected:
    void SetName(const char* text) { name = text; }

private:
    int type;
    std::optional<std::string> name;
};

class StatementDisplay : public Statement {
public:
    StatementDisplay() : Statement(Display) {}
    void Build(TokenSource& tokens, ObjectList& objects) override;
    const char* Execute(ObjectList& objects, BxView& view) override;

private:
    ObjectImage* image = nullptr;
};

class StatementOn : public Statement {
public:
    // How deep WAITs may nest inside ON clauses.
    static constexpr int kMaxNesting = 16;

    explicit StatementOn(int nesting) : Statement(On), nesting(nesting) {}
    void Build(TokenSource& tokens, ObjectList& objects) override;
    win::UINT GetMessage() const { return message; }

private:
    int nesting;
    win::UINT message = 0;
    std::unique_ptr<Statement> statement;
};

class StatementWait : public Statement {
public:
    explicit StatementWait(int nesting = 0) : Statement(Wait), nesting(nesting) {}
    void Build(TokenSource& tokens, ObjectList& objects) override;
    const char* Execute(ObjectList& objects, BxView& view) override;

private:
    int nesting;
    std::vector<std::unique_ptr<StatementOn>> clauses;
};

class StatementLabel : public Statement {
public:
    StatementLabel() : Statement(Label) {}
    void Build(TokenSource& tokens, ObjectList& objects) override;
};

class StatementGoto : public Statement {
public:
    StatementGoto() : Statement(Goto) {}
    void Build(TokenSource& tokens, ObjectList& objects) override;
    const char* Execute(ObjectList& objects, BxView& view) override;

private:
    std::string target;
};

class StatementObjExec : public Statement {
public:
    StatementObjExec() : Statement(ObjExec) {}
    void Build(TokenSource& tokens, ObjectList& objects) override;
    const char* Execute(ObjectList& objects, BxView& view) override;

private:
    Object* object = nullptr;
    std::string function;
    ArgumentList arguments;
};

class BxScript {
public:
    // Pictures named by relative paths are looked for in folder.
    explicit BxScript(std::string folder = {}) : folder(std::move(folder)) {}
    ~BxScript();
    BxScript(const BxScript&) = delete;
    BxScript& operator=(const BxScript&) = delete;

    // Parses the whole text; 1. Throws pxError at the first error, keeping
    // what was built before it.
    int Build(const char* text);
    void DumpObjects() const;
    void DumpStatements() const;
    // Runs the statements until the last has run or the view has closed; 1,
    // or 0 without statements. Throws pxError.
    int Execute(BxView& view);

    const ObjectList& GetObjects() const { return objects; }
    const StatementList& GetStatements() const { return statements; }

private:
    std::string folder;
    ObjectList objects;
    StatementList statements;
};

// The statement a keyword begins (nullptr when it begins none), for the top
// level and for ON clauses.
std::unique_ptr<Statement> CreateStatement(const char* keyword, int nesting);
