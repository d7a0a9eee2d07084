"""A minute of random use: the viewer neither crashes nor hangs, and its memory stays flat."""

import unittest

import soak


class ShortSoak(unittest.TestCase):
    def test_a_minute_of_random_use_leaves_the_viewer_running_and_its_memory_flat(self):
        summary = soak.run(seconds=60, seed=7)
        self.assertEqual(summary["exit code"], 0)
        self.assertGreater(summary["commands"], 0)
        memory = summary["memory samples (KiB)"]
        # After the first samples every model has been loaded once; reloads must not grow it.
        warmed_up = memory[len(memory) // 2:]
        self.assertLess(max(warmed_up) - warmed_up[0], 40 * 1024, memory)


if __name__ == "__main__":
    unittest.main()
