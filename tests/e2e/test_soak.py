"""A minute of random use: every command shows its outcome, the viewer keeps responding, and its
memory stays flat."""

import unittest

import soak
from viewer import ViewerTestCase


class ShortSoak(ViewerTestCase):
    def test_a_minute_of_random_use_shows_every_outcome_and_leaves_the_memory_flat(self):
        summary = soak.run(seconds=60, seed=7)
        self.assertEqual(soak.failures(summary), [], summary)
        # A sample a tenth of the way through, each with its command, and random ones between.
        self.assertGreaterEqual(len(summary["memory samples (KiB)"]), 3, summary)


if __name__ == "__main__":
    unittest.main()
