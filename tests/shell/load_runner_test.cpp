#include "shell/load_runner.h"

#include <gtest/gtest.h>

TEST(ProgressTexts, StageAndElapsedTime) {
    EXPECT_EQ(progress_stage_text(""), "Lecture du fichier .gr...");
    EXPECT_EQ(progress_stage_text("Problème LP formulé"), "Dernière étape : Problème LP formulé");
    EXPECT_EQ(progress_elapsed_text(0), "Temps écoulé : 0,0 s");
    EXPECT_EQ(progress_elapsed_text(2549), "Temps écoulé : 2,5 s");
    EXPECT_EQ(progress_elapsed_text(61000), "Temps écoulé : 61,0 s");
    EXPECT_EQ(progress_elapsed_text(-5), "Temps écoulé : 0,0 s");
}
