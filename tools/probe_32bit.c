/* Can this machine run 32-bit x86 code inside a 64-bit process, as Wine's
 * WoW64 layer does for every 32-bit Windows program? It far-calls into the
 * kernel's 32-bit user code segment (selector 0x23) a `retf` placed below
 * 4 GiB, on a stack below 4 GiB; the `retf`, run as 32-bit code, returns to
 * the 64-bit caller. Where the kernel offers no such segment the call faults.
 * The same call into the 64-bit segment (0x33) is made first: if that fails,
 * the probe itself is broken and says so instead of answering.
 *
 * Built with -no-pie, so that the return address the far call pushes (32
 * bits of it) is the caller's.
 *
 * Exit: 0 it can, 1 it cannot, 2 the probe could not tell. */
#define _GNU_SOURCE
#include <errno.h>
#include <setjmp.h>
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <sys/mman.h>

enum { kUserCode32 = 0x23, kUserCode64 = 0x33, kLowSize = 65536 };

static sigjmp_buf faulted;
static unsigned char *low; /* code and stack below 4 GiB */

static void onFault(int raised) { siglongjmp(faulted, raised); }

/* 0 when a far call into `selector` came back, else the signal it raised. */
static int farCallInto(unsigned selector) {
  static struct __attribute__((packed)) {
    uint32_t offset;
    uint16_t selector;
  } target;
  target.offset = (uint32_t)(uintptr_t)low;
  target.selector = (uint16_t)selector;
  uint64_t stack = (uint64_t)(uintptr_t)(low + kLowSize - 64);
  int raised = sigsetjmp(faulted, 1);
  if (raised != 0) return raised;
  __asm__ volatile(
      "movq %%rsp, %%r12\n\t"
      "movq %0, %%rsp\n\t"
      "lcall *%1\n\t"
      "movq %%r12, %%rsp\n\t"
      :
      : "r"(stack), "m"(target)
      : "memory", "r12");
  return 0;
}

int main(void) {
  low = mmap(NULL, kLowSize, PROT_READ | PROT_WRITE | PROT_EXEC, MAP_PRIVATE | MAP_ANONYMOUS | MAP_32BIT, -1, 0);
  if (low == MAP_FAILED) {
    printf("could not tell: no memory below 4 GiB (%s)\n", strerror(errno));
    return 2;
  }
  low[0] = 0xcb; /* retf */

  /* The fault is taken on a stack of its own: the one in force is a scratch one. */
  static unsigned char altStack[65536];
  stack_t alternate = {.ss_sp = altStack, .ss_size = sizeof altStack};
  sigaltstack(&alternate, NULL);
  struct sigaction action;
  memset(&action, 0, sizeof action);
  action.sa_handler = onFault;
  action.sa_flags = SA_ONSTACK;
  sigaction(SIGSEGV, &action, NULL);
  sigaction(SIGBUS, &action, NULL);

  int raised = farCallInto(kUserCode64);
  if (raised != 0) {
    printf("could not tell: a far call into the 64-bit code segment 0x33 ends in signal %d\n", raised);
    return 2;
  }
  raised = farCallInto(kUserCode32);
  if (raised != 0) {
    printf("cannot: a far call into the 32-bit code segment 0x23 ends in %s, one into 0x33 returns\n",
           raised == SIGSEGV ? "SIGSEGV" : strsignal(raised));
    return 1;
  }
  printf("can: a far call into the 32-bit code segment 0x23 ran 32-bit code and returned\n");
  return 0;
}
