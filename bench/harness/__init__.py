"""What the benchmarks share: the processes they start, a private desktop
session, Tunara's MPRIS player seen from outside, a real Icecast server, and
the built program with its station list and start-up trace."""
