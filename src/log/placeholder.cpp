int kiv_placeholder = 0;
