// The web room's library needs one source of its own until its first class.
