// Call queues: how other threads run code on a given thread and wait for it.
//
// Every thread that receives calls has a queue of its own. The main thread's
// (the one that runs the toolkit's loop) takes Synchronize calls and the
// messages sent to the event receivers it created; another thread's takes the
// messages sent to the receivers it created (event_receiver.h). A thread
// serves its own queue only: in CheckSynchronize, in ProcessThreadCalls, and
// while it waits for a thread (TThread::WaitFor). For the main thread, callers
// also ask the toolkit to wake it (Toolkit::WakeMainThread), so that a
// toolkit's loop (Qt posts a queued call) runs CheckSynchronize soon; any
// other thread must serve its queue itself for as long as calls may come.
// Exceptions of a call go back to the waiting thread; none reaches the loop.
#pragma once

#include <chrono>
#include <functional>

namespace runtime {

// True on the thread that started the process.
bool IsMainThread();

// Runs `routine` on the main thread and waits until it has returned; an
// exception raised there is raised again here. On the main thread: runs it at once.
void Synchronize(const std::function<void()>& routine);

// Runs every call queued for the calling thread; true when there was one.
bool CheckSynchronize();

// A plain loop step for the calling thread: waits up to `timeout` for calls
// queued for it, runs them, and tells whether any ran.
bool ProcessThreadCalls(std::chrono::milliseconds timeout);

}  // namespace runtime
