/* Preloaded into Wine's 32-bit Linux processes when they run under qemu-i386 user-mode emulation
 * (tools/check-win32.sh). It mends four things that qemu 7.2 does differently from the kernel and
 * that Wine relies on:
 *
 * 1. The trap number of SIGSEGV. Wine tells a page fault from a protection fault by the trap
 *    number in the signal context: 14 (page fault: access violations, guard pages, stack growth)
 *    or 13 (general protection: privileged instructions). qemu leaves it at -1, and Wine then takes
 *    every fault for an illegal instruction, which no program survives. A SIGSEGV handler with
 *    SA_SIGINFO is installed behind a small handler of our own that writes the number in, then
 *    calls it; queries of the old action see the handler the program installed.
 *
 * 2. MAP_FIXED_NOREPLACE. qemu takes the address of such an mmap as a hint and maps elsewhere
 *    when the range is taken, where the kernel fails with EEXIST. Wine reserves its address space
 *    with such calls, halving a range each time one fails, and with qemu's answers it fills the
 *    upper half of the address space with misplaced reservations and then probes it 64 KiB at a
 *    time: each process spent a minute starting. Here a mapping placed elsewhere is undone and
 *    the call fails as the kernel's would.
 *
 * 3. Thread-local segments. Wine points %fs at each thread's TEB through one GDT entry that it
 *    asks the kernel for with set_thread_area, whose base the kernel keeps per thread. qemu keeps
 *    one GDT for all threads, so each thread that loads %fs again gets the TEB of the thread that
 *    set the entry last: threads take over each other's exception frames and X connections, and
 *    processes crash. Asked for that entry, we answer that there is none, and Wine gives each
 *    thread an LDT entry of its own instead (modify_ldt, which qemu keeps for the whole process,
 *    as the kernel does).
 *
 * 4. The C library's thread pointer, %gs. The C library too reaches each thread's own data
 *    through one GDT entry, and qemu loads %gs again from the shared GDT whenever a signal handler
 *    returns: a thread that took a signal after another thread was created goes on with the
 *    newest thread's errno, stack guard and locks. Here every thread moves %gs to an LDT entry of
 *    its own as it starts (the main thread before the program runs), so that loading it again
 *    finds its own data. Creating a thread goes through the GDT entry once more, as the C
 *    library wants, under a lock and with signals blocked, until the new thread has its entry.
 *    Wine's own LDT entries start at 512 when %gs is in the LDT; ours are 1 to 511.
 *
 * Everything else goes to the C library unchanged.
 *
 * Built 32-bit: gcc -m32 -shared -fPIC -O2 -o qemu-wine32-shim.so qemu-wine32-shim.c -ldl -lpthread
 */
#define _GNU_SOURCE
#include <asm/ldt.h>
#include <dlfcn.h>
#include <errno.h>
#include <pthread.h>
#include <signal.h>
#include <stdarg.h>
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <ucontext.h>

#ifndef __i386__
#error "the shim is for 32-bit x86 processes only"
#endif

#ifndef MAP_FIXED_NOREPLACE
#define MAP_FIXED_NOREPLACE 0x100000
#endif

enum { TRAP_PROTECTION_FAULT = 13, TRAP_PAGE_FAULT = 14 };

typedef int (*sigaction_function)(int, const struct sigaction*, struct sigaction*);
typedef void* (*mmap_function)(void*, size_t, int, int, int, off_t);
typedef void* (*mmap64_function)(void*, size_t, int, int, int, off64_t);
typedef long (*syscall_function)(long, ...);
typedef int (*pthread_create_function)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);

static void* next_function(const char* name) {
    return dlsym(RTLD_NEXT, name);
}

/* --- the trap number of SIGSEGV ------------------------------------------------------------ */

static sigaction_function real_sigaction;
/* The SIGSEGV action the program asked for, reported back to it as its own. */
static struct sigaction program_action;
static volatile sig_atomic_t program_action_set;

static void segv_handler(int signal_number, siginfo_t* info, void* context) {
    ucontext_t* ucontext = context;
    greg_t* trap = &ucontext->uc_mcontext.gregs[REG_TRAPNO];
    if (*trap < 0) {
        /* The kernel reports a general protection fault with SI_KERNEL and no address; everything
         * else that raises SIGSEGV is a page fault at si_addr. */
        *trap = info->si_code == SI_KERNEL ? TRAP_PROTECTION_FAULT : TRAP_PAGE_FAULT;
    }
    program_action.sa_sigaction(signal_number, info, context);
}

int sigaction(int signal_number, const struct sigaction* action, struct sigaction* old_action) {
    if (!real_sigaction)
        real_sigaction = (sigaction_function)next_function("sigaction");
    if (!real_sigaction) {
        errno = ENOSYS;
        return -1;
    }
    if (signal_number != SIGSEGV)
        return real_sigaction(signal_number, action, old_action);

    struct sigaction previous;
    int result;
    if (action && (action->sa_flags & SA_SIGINFO) && action->sa_sigaction) {
        /* The handler is in place before the signal can reach it. */
        struct sigaction wrapped = *action, earlier = program_action;
        int earlier_set = program_action_set;
        wrapped.sa_sigaction = segv_handler;
        program_action = *action;
        program_action_set = 1;
        result = real_sigaction(signal_number, &wrapped, &previous);
        if (result != 0) {
            program_action = earlier;
            program_action_set = earlier_set;
        } else if (old_action) {
            *old_action = earlier_set && previous.sa_sigaction == segv_handler ? earlier : previous;
        }
        return result;
    }
    result = real_sigaction(signal_number, action, &previous);
    if (result == 0) {
        if (old_action) {
            *old_action = program_action_set && previous.sa_sigaction == segv_handler
                              ? program_action
                              : previous;
        }
        if (action)
            program_action_set = 0;
    }
    return result;
}

/* --- MAP_FIXED_NOREPLACE ------------------------------------------------------------------- */

static mmap_function real_mmap;
static mmap64_function real_mmap64;

/* A mapping asked for at ADDRESS without replacing anything: RESULT is where qemu put it. */
static void* placed_or_failed(void* address, size_t length, void* result) {
    if (result == MAP_FAILED || result == address)
        return result;
    munmap(result, length);
    errno = EEXIST;
    return MAP_FAILED;
}

void* mmap(void* address, size_t length, int protection, int flags, int fd, off_t offset) {
    if (!real_mmap)
        real_mmap = (mmap_function)next_function("mmap");
    if (!real_mmap) {
        errno = ENOSYS;
        return MAP_FAILED;
    }
    if (!(flags & MAP_FIXED_NOREPLACE) || (flags & MAP_FIXED)) {
        return real_mmap(address, length, protection, flags, fd, offset);
    }
    return placed_or_failed(
        address, length,
        real_mmap(address, length, protection, flags & ~MAP_FIXED_NOREPLACE, fd, offset));
}

void* mmap64(void* address, size_t length, int protection, int flags, int fd, off64_t offset) {
    if (!real_mmap64)
        real_mmap64 = (mmap64_function)next_function("mmap64");
    if (!real_mmap64) {
        errno = ENOSYS;
        return MAP_FAILED;
    }
    if (!(flags & MAP_FIXED_NOREPLACE) || (flags & MAP_FIXED)) {
        return real_mmap64(address, length, protection, flags, fd, offset);
    }
    return placed_or_failed(
        address, length,
        real_mmap64(address, length, protection, flags & ~MAP_FIXED_NOREPLACE, fd, offset));
}

/* --- thread-local segments ----------------------------------------------------------------- */

static syscall_function real_syscall;

long syscall(long number, ...) {
    if (!real_syscall)
        real_syscall = (syscall_function)next_function("syscall");
    if (!real_syscall) {
        errno = ENOSYS;
        return -1;
    }
    /* No system call takes more than six arguments; reading six from a call that passed fewer
     * reads the caller's frame, and the kernel ignores the extra ones. */
    va_list arguments;
    va_start(arguments, number);
    long argument[6];
    for (int i = 0; i < 6; i++)
        argument[i] = va_arg(arguments, long);
    va_end(arguments);
    if (number == SYS_set_thread_area) {
        const struct user_desc* descriptor = (const struct user_desc*)argument[0];
        if (descriptor && descriptor->entry_number == (unsigned int)-1) {
            errno = ENOSYS;
            return -1;
        }
    }
    return real_syscall(number, argument[0], argument[1], argument[2], argument[3], argument[4],
                        argument[5]);
}

/* --- the C library's thread pointer -------------------------------------------------------- */

enum { FIRST_ENTRY = 1, ENTRIES = 512 };

static pthread_create_function real_pthread_create;
static pthread_mutex_t creation_lock = PTHREAD_MUTEX_INITIALIZER;
static pthread_key_t entry_key;
static int gs_in_ldt;                   /* set once the main thread runs on an LDT entry */
static unsigned short library_selector; /* the C library's GDT selector for %gs */
static unsigned char entry_used[ENTRIES];
static unsigned int next_entry = FIRST_ENTRY;

static unsigned short get_gs(void) {
    unsigned short selector;
    __asm__ volatile("movw %%gs, %0" : "=r"(selector));
    return selector;
}

static void set_gs(unsigned short selector) {
    __asm__ volatile("movw %0, %%gs" : : "r"(selector) : "memory");
}

static uintptr_t thread_pointer(void) {
    uintptr_t pointer;
    __asm__ volatile("movl %%gs:0, %0" : "=r"(pointer));
    return pointer;
}

static struct user_desc data_segment(unsigned int entry, uintptr_t base) {
    struct user_desc descriptor = {0};
    descriptor.entry_number = entry;
    descriptor.base_addr = base;
    descriptor.limit = 0xfffff;
    descriptor.seg_32bit = 1;
    descriptor.limit_in_pages = 1;
    descriptor.useable = 1;
    return descriptor;
}

/* Takes a free LDT entry (round robin, so that the entry of a thread that has just ended is not
 * the next one given out) and points %gs of the calling thread at its own data through it. */
static int use_own_entry(void) {
    for (unsigned int tries = 0; tries < ENTRIES - FIRST_ENTRY; tries++) {
        unsigned int entry = __atomic_fetch_add(&next_entry, 1, __ATOMIC_RELAXED) % ENTRIES;
        if (entry < FIRST_ENTRY || __atomic_exchange_n(&entry_used[entry], 1, __ATOMIC_ACQ_REL))
            continue;
        struct user_desc descriptor = data_segment(entry, thread_pointer());
        if (real_syscall(SYS_modify_ldt, 0x11, &descriptor, sizeof descriptor) != 0) {
            __atomic_store_n(&entry_used[entry], 0, __ATOMIC_RELEASE);
            return 0;
        }
        set_gs((unsigned short)(entry << 3 | 7));
        pthread_setspecific(entry_key, (void*)(uintptr_t)entry);
        return 1;
    }
    return 0;
}

static void release_entry(void* entry) {
    __atomic_store_n(&entry_used[(uintptr_t)entry], 0, __ATOMIC_RELEASE);
}

__attribute__((constructor)) static void move_main_thread(void) {
    if (!real_syscall)
        real_syscall = (syscall_function)next_function("syscall");
    real_pthread_create = (pthread_create_function)next_function("pthread_create");
    library_selector = get_gs();
    /* Only a GDT selector (table bit clear) is the C library's, as under qemu. */
    if (!real_syscall || !real_pthread_create || (library_selector & 4) ||
        pthread_key_create(&entry_key, release_entry) != 0)
        return;
    gs_in_ldt = use_own_entry();
}

struct thread_start {
    void* (*routine)(void*);
    void* argument;
    sigset_t mask; /* the creator's signal mask, for the new thread once it has its entry */
};

static void* start_thread_on_own_entry(void* start_pointer) {
    struct thread_start start = *(struct thread_start*)start_pointer;
    free(start_pointer);
    use_own_entry();
    pthread_sigmask(SIG_SETMASK, &start.mask, NULL);
    return start.routine(start.argument);
}

int pthread_create(pthread_t* thread, const pthread_attr_t* attributes, void* (*routine)(void*),
                   void* argument) {
    if (!real_pthread_create)
        real_pthread_create = (pthread_create_function)next_function("pthread_create");
    if (!real_pthread_create)
        return ENOSYS;
    if (!gs_in_ldt)
        return real_pthread_create(thread, attributes, routine, argument);

    struct thread_start* start = malloc(sizeof *start);
    if (!start)
        return EAGAIN;
    start->routine = routine;
    start->argument = argument;
    sigset_t all, mask;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, &mask);
    start->mask = mask;

    pthread_mutex_lock(&creation_lock);
    /* The C library takes the new thread's GDT entry from %gs; it must hold this thread's data
     * while %gs points there. */
    unsigned short own_selector = get_gs();
    struct user_desc descriptor = data_segment(library_selector >> 3, thread_pointer());
    real_syscall(SYS_set_thread_area, &descriptor);
    set_gs(library_selector);
    int result = real_pthread_create(thread, attributes, start_thread_on_own_entry, start);
    set_gs(own_selector);
    pthread_mutex_unlock(&creation_lock);

    pthread_sigmask(SIG_SETMASK, &mask, NULL);
    if (result != 0)
        free(start);
    return result;
}
