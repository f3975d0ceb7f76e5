#include "interactive.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "complete.h"

#ifdef VXHOST_HAVE_READLINE
#include <readline/history.h>
#include <readline/readline.h>
#endif

namespace vxhost {

namespace {

constexpr const char* kPrompt = ">> ";
constexpr const char* kContinuationPrompt = ".. ";

volatile std::sig_atomic_t interrupted = 0;

#ifdef VXHOST_HAVE_READLINE
Session* completing = nullptr;
std::vector<std::string> found;

char* nextCandidate(const char*, int state)
{
    static std::size_t i;
    if (state == 0)
        i = 0;
    return i < found.size() ? strdup(found[i++].c_str()) : nullptr;
}

char** attemptCompletion(const char*, int start, int end)
{
    rl_attempted_completion_over = 1;
    Completion c = complete(*completing, std::string_view(rl_line_buffer, static_cast<std::size_t>(rl_end)),
                            static_cast<std::size_t>(end));
    found = std::move(c.candidates);
    (void)start;
    return rl_completion_matches("", nextCandidate);
}

// Ctrl-C at the prompt: the line typed so far is dropped and a fresh prompt shown.
void onInterrupt(int)
{
    interrupted = 1;
    rl_crlf();
    rl_replace_line("", 0);
    rl_on_new_line();
    rl_redisplay();
}
#endif

} // namespace

void runInteractive(Session& session, const std::function<bool(const std::string&)>& line,
                    const std::function<void()>& cancel, const std::function<bool()>& continuing)
{
#ifdef VXHOST_HAVE_READLINE
    completing = &session;
    rl_attempted_completion_function = attemptCompletion;
    rl_basic_word_break_characters = const_cast<char*>(" \t\n\"\\'`@$><=;|&{(,.[");
    rl_catch_signals = 0;
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    for (;;) {
        char* input = readline(continuing() ? kContinuationPrompt : kPrompt);
        if (interrupted) {
            interrupted = 0;
            cancel();
            // The prompt was already redrawn for an empty line.
            if (input && !*input) {
                std::free(input);
                continue;
            }
        }
        if (!input)
            break;
        std::string text(input);
        std::free(input);
        if (!text.empty())
            add_history(text.c_str());
        if (!line(text))
            return;
    }
#else
    (void)session;
    (void)cancel;
    std::string text;
    for (;;) {
        std::fputs(continuing() ? kContinuationPrompt : kPrompt, stdout);
        std::fflush(stdout);
        if (!std::getline(std::cin, text))
            break;
        if (!line(text))
            return;
    }
#endif
    std::fputs("\n", stdout);
}

} // namespace vxhost
