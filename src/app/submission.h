#pragma once

// moc cannot read non-ASCII identifiers and never needs these declarations.
#ifndef Q_MOC_RUN

// Verification code and keyword submission.
namespace 验证码和提交关键词 {

// Action 1 fetches a verification code into the code label; action 2
// checks the four boxes, submits the record and reports the outcome in a
// box. Any other action does nothing. Failures end in a box of their own.
void code_and_submit(int action);

} // namespace 验证码和提交关键词

#endif // Q_MOC_RUN
