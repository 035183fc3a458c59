// The main thread's call queue: how other threads run code on the main thread
// (the one that runs the toolkit's loop) and wait for it.
//
// Other threads enqueue calls and ask the toolkit to wake the main thread
// (Toolkit::WakeMainThread); the main thread serves them in CheckSynchronize,
// from its loop (a Qt toolkit posts a queued call to it; a plain program calls
// ProcessMainThreadCalls), and while it waits for a thread (TThread::WaitFor).
// Exceptions of a call go back to the waiting thread; none reaches the loop.
#pragma once

#include <chrono>
#include <functional>

namespace comport {

// True on the thread that started the process.
bool IsMainThread();

// Runs `routine` on the main thread and waits until it has returned; an
// exception raised there is raised again here. On the main thread: runs it at once.
void Synchronize(const std::function<void()>& routine);

// Main thread only: runs every queued call; true when there was one.
bool CheckSynchronize();

// Main thread only: the plain toolkit's loop step. Waits up to `timeout` for
// queued calls, runs them, and tells whether any ran.
bool ProcessMainThreadCalls(std::chrono::milliseconds timeout);

}  // namespace comport
