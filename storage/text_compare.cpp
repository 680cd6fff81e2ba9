// Placeholder; filled in by the engine work.
