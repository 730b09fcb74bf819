// SPDX-License-Identifier: MIT
// The 32-bit thunk behind callEntry (EntryCall.h): arguments at 8(%ebp), 12(%ebp), 16(%ebp)
// are the entry, the stacked arguments and their size in bytes. The stack pointer at the call
// is 12 modulo 16, so the entry starts with it 8 modulo 16 instead of the 12 GCC code assumes.
#include "EntryCall.h"

asm(R"(
    .text
    .globl _qt_call_off_aligned
_qt_call_off_aligned:
    pushl %ebp
    movl %esp, %ebp
    pushl %esi
    pushl %edi
    movl 16(%ebp), %ecx
    movl 12(%ebp), %esi
    movl %esp, %eax
    subl %ecx, %eax
    andl $-16, %eax
    subl $4, %eax
    movl %eax, %esp
    movl %esp, %edi
    cld
    rep movsb
    calll *8(%ebp)
    leal -8(%ebp), %esp
    popl %edi
    popl %esi
    popl %ebp
    ret
)");
