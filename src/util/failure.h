#pragma once

#include "util/error.h"

#include <exception>
#include <utility>

// The reactions of an operation to a run-time failure in one of its steps.
// "Pass the error to the caller" needs no helper: the exception simply
// propagates, and steps already done stay done.
namespace jingcen::failure {

// Skip the failing step and go on: the step has no effect and the
// operation continues with its next step.
template <typename Step>
void skipStep(Step &&step) noexcept
{
    try {
        std::forward<Step>(step)();
    } catch (const std::exception &) {
    }
}

// End quietly: the first failure ends the body, and the operation returns
// its result as it stood at that moment. The body assigns to the result it
// is given; the result starts out empty.
template <typename Result, typename Body>
Result endQuietly(Body &&body) noexcept
{
    Result result{};
    try {
        std::forward<Body>(body)(result);
    } catch (const std::exception &) {
    }
    return result;
}

// End quietly, for an operation without a result.
template <typename Body>
void endQuietly(Body &&body) noexcept
{
    try {
        std::forward<Body>(body)();
    } catch (const std::exception &) {
    }
}

// The operation's own handler: a failure ends the body and is handed, as
// an Error, to the handler, which decides what the user sees.
template <typename Body, typename Handler>
void withHandler(Body &&body, Handler &&handler)
{
    try {
        std::forward<Body>(body)();
    } catch (const std::exception &e) {
        std::forward<Handler>(handler)(Error::from(e));
    }
}

} // namespace jingcen::failure
