#include "session.h"

#include "catalog.h"
#include "commands.h"
#include "display.h"
#include "gui_objects/gui_objects.h"
#include "messages.h"
#include "qx/console.h"

namespace vxhost {

json::Value Outcome::json() const
{
    json::Value out{{"ok", ok}};
    if (!ok) {
        out["id"] = id;
        out["message"] = message;
    }
    out.update(fields);
    if (!output.empty())
        out["output"] = output;
    return out;
}

std::string Outcome::readable() const
{
    if (ok)
        return display ? showResult(fields) : std::string();
    std::string out = "error [" + id + "]: " + message + "\n";
    if (fields.size())
        out += showResult(fields);
    return out;
}

Session::Session(const Library& library, bool json)
    : json_(json), workspace_(std::make_unique<Workspace>(library, commandTable(), !json))
{
}

Session::~Session() = default;

Outcome Session::statement(const syntax::Program& program, const syntax::Node& s)
{
    Outcome outcome;
    outcome.display = s.display;
    Workspace& ws = *workspace_;
    ws.callbackLog.clear();
    forgetRefusal();
    Evaluator ev(ws.commands(), &ws, ws.variables, program);
    auto failed = [&](const char* id, const char* message) {
        outcome.ok = false;
        outcome.id = id ? id : "";
        outcome.message = message ? message : "";
        outcome.fields = ev.partial.is_object() ? ev.partial : json::Value::object();
        if (std::string hint = refusalHint(outcome.id); !hint.empty())
            outcome.fields["hint"] = std::move(hint);
    };
    // Raises through the host's own mechanism, so that it reads like any other host error.
    auto fromMessage = [&](const Message& m, const char* detail = "") {
        try {
            fail(m, detail);
        } catch (const Quillmark::System::IUserException& e) {
            failed(e.GetID(), e.GetMessageTxt());
        }
    };
    {
        std::optional<qx::ConsoleCapture> capture;
        if (json_)
            capture.emplace();
        try {
            outcome.fields = ev.statement(s);
            if (!ws.callbackLog.empty()) {
                json::Value log = json::Value::array();
                for (json::Value& entry : ws.callbackLog)
                    log.push_back(std::move(entry));
                outcome.fields["callbacks"] = std::move(log);
            }
        } catch (const Quillmark::System::IUserException& e) {
            failed(e.GetID(), e.GetMessageTxt());
        } catch (const gui_objects::convert_from_string_utils::ParseException&) {
            fromMessage(msg::ParseFailed);
        } catch (const gui_objects::ArrayException&) {
            fromMessage(msg::ArrayFailed);
        } catch (const std::bad_alloc&) {
            fromMessage(msg::OutOfMemory);
        } catch (const std::exception& e) {
            fromMessage(msg::InternalError, e.what());
        } catch (...) {
            fromMessage(msg::UnknownException);
        }
        if (capture)
            outcome.output = capture->text();
    }
    ws.callbackLog.clear();
    // The host reclaims what the call left among its temporaries.
    qxReclaimTemporaries();
    return outcome;
}

std::optional<std::vector<Outcome>> Session::run(std::string input, bool more, std::string* open)
{
    std::vector<Outcome> out;
    syntax::ParseResult parsed = syntax::parse(std::move(input));
    if (!parsed.ok()) {
        if (more && parsed.error.incomplete) {
            if (open)
                *open = std::move(parsed.source);
            return std::nullopt;
        }
        Outcome o;
        o.ok = false;
        try {
            fail(msg::SyntaxError, parsed.error.message.c_str());
        } catch (const Quillmark::System::IUserException& e) {
            o.id = e.GetID();
            o.message = e.GetMessageTxt();
        }
        out.push_back(std::move(o));
        return out;
    }
    const auto& statements = parsed.program->statements;
    std::size_t k = 0;
    for (; k < statements.size(); ++k) {
        out.push_back(statement(*parsed.program, *statements[k]));
        if (!out.back().ok || quit())
            break;
    }
    // What follows a failure on its input does not run, and says so.
    for (++k; k < statements.size() && !quit(); ++k) {
        Outcome o;
        o.ok = false;
        o.display = statements[k]->display;
        try {
            fail(msg::NotRun, std::string(parsed.program->text(*statements[k]->children.front())).c_str());
        } catch (const Quillmark::System::IUserException& e) {
            o.id = e.GetID();
            o.message = e.GetMessageTxt();
        }
        out.push_back(std::move(o));
    }
    return out;
}

} // namespace vxhost
